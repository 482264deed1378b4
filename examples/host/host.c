/*
 * A host of the probe libraries. It reads a 256-byte probe image, loads the library
 * of the image's probe type at run time and binds its exports through the pointer
 * types of palvo.h, hands it the image, reads the decoded record, reads the position
 * coefficients from the movable block whose handle the record carries, and converts
 * a few raw readings.
 *
 *   host IMAGE
 *
 * Exit status: 0 done, 1 usage, 2 the image cannot be read, 3 no library for the
 * image's type, or the library refuses the image or a call.
 */
#include <stdio.h>
#include <string.h>

#include "palvo.h"
#include "probe_library.h"

enum {
    TypeCharacterOffset = 3, /* "M006": the last digit of the type names the library */
    SampleOffset = 32768     /* position table entry of the sample 0 */
};

static const float kRawForces[] = {5.0f, 50.0f};
static const float kRawPositions[] = {-0.5f, 0.5f};
static const int16_t kSamples[] = {-1000, 1000};

#define COUNT(array) (sizeof(array) / sizeof((array)[0]))

typedef struct ProbeFunctions {
    ProbeInitFn Init;
    ProbeGetParametersFn GetParameters;
    ProbeIsCalibratedFn IsCalibrated;
    ProbeGetForceFn GetForce;
    ProbeGetPressionFn GetPression;
    ProbeGetPositionFn GetPosition;
    ProbeGetPosition2Fn GetPosition2; /* Palvo6 only */
} ProbeFunctions;

static int ReadImage(const char* path, uint8_t image[PROBE_IMAGE_SIZE]) {
    FILE* file = fopen(path, "rb");
    if (file == NULL)
        return 0;
    size_t size = fread(image, 1, PROBE_IMAGE_SIZE, file);
    fclose(file);
    return size == PROBE_IMAGE_SIZE;
}

static int Bind(void* library, ProbeFunctions* f) {
    f->Init = (ProbeInitFn)FindProbeExport(library, "ProbeInit");
    f->GetParameters = (ProbeGetParametersFn)FindProbeExport(library, "ProbeGetParameters");
    f->IsCalibrated = (ProbeIsCalibratedFn)FindProbeExport(library, "ProbeIsCalibrated");
    f->GetForce = (ProbeGetForceFn)FindProbeExport(library, "ProbeGetForce");
    f->GetPression = (ProbeGetPressionFn)FindProbeExport(library, "ProbeGetPression");
    f->GetPosition = (ProbeGetPositionFn)FindProbeExport(library, "ProbeGetPosition");
    f->GetPosition2 = (ProbeGetPosition2Fn)FindProbeExport(library, "ProbeGetPosition2");
    return f->Init && f->GetParameters && f->IsCalibrated && f->GetForce && f->GetPression &&
           f->GetPosition;
}

/* The coefficients live in a movable block the library owns: lock, read, unlock. */
static int PrintPositionCoefficients(const ProbeParameters* record) {
    const float* coefficients = (const float*)LockProbeBlock(record->PositionCoefficients);
    if (coefficients == NULL)
        return 0;
    printf("position coefficients");
    for (int i = 0; i <= record->PositionOrder; ++i)
        printf(" %.9g", (double)coefficients[i]);
    printf("\n");
    UnlockProbeBlock(record->PositionCoefficients);
    return 1;
}

/* ProbeGetPosition2 where the library exports it, else the same entry read from the
 * position table block. */
static uint16_t SamplePosition(const ProbeFunctions* f, const ProbeParameters* record,
                               int16_t sample, float* position) {
    if (f->GetPosition2 != NULL)
        return f->GetPosition2(sample, position);
    const float* table = (const float*)LockProbeBlock(record->PositionTable);
    if (table == NULL)
        return ProbeStatusLockFailed;
    *position = table[sample + SampleOffset];
    UnlockProbeBlock(record->PositionTable);
    return ProbeStatusOk;
}

/* One line per conversion, "kind raw = result"; 0 at the first failing call. */
static int Convert(const ProbeFunctions* f, const ProbeParameters* record) {
    float result;
    for (size_t i = 0; i < COUNT(kRawForces); ++i) {
        if (f->GetForce(kRawForces[i], &result) != ProbeStatusOk)
            return 0;
        printf("force %.9g = %.9g\n", (double)kRawForces[i], (double)result);
        if (f->GetPression(kRawForces[i], &result) != ProbeStatusOk)
            return 0;
        printf("pressure %.9g = %.9g\n", (double)kRawForces[i], (double)result);
    }
    for (size_t i = 0; i < COUNT(kRawPositions); ++i) {
        if (f->GetPosition(kRawPositions[i], &result) != ProbeStatusOk)
            return 0;
        printf("position %.9g = %.9g\n", (double)kRawPositions[i], (double)result);
    }
    for (size_t i = 0; i < COUNT(kSamples); ++i) {
        if (SamplePosition(f, record, kSamples[i], &result) != ProbeStatusOk)
            return 0;
        printf("sample %d = %.9g\n", kSamples[i], (double)result);
    }
    return 1;
}

static int Run(void* library, const char* name, const uint8_t* image) {
    ProbeFunctions f;
    if (!Bind(library, &f)) {
        fprintf(stderr, "host: %s lacks an export\n", name);
        return 3;
    }
    uint16_t status = f.Init(image);
    if (status != ProbeStatusOk) {
        fprintf(stderr, "host: %s refuses the image with status %u\n", name, status);
        return 3;
    }
    ProbeParameters record;
    memset(&record, 0, sizeof record);
    record.Size = PROBE_PARAMETERS_SIZE;
    int32_t calibrated = 0;
    if (f.GetParameters(&record) != ProbeStatusOk || f.IsCalibrated(&calibrated) != ProbeStatusOk) {
        fprintf(stderr, "host: %s gives no record\n", name);
        return 3;
    }
    printf("library %s\n", name);
    printf("type %u, serial %ld, calibrated in %.*s, usage count %ld of %lu\n", record.Type,
           (long)record.Serial, PROBE_TEXT_SIZE, record.CalibrationDate, (long)record.UsageCount,
           (unsigned long)record.UsageLimit);
    printf("calibrated %s\n", calibrated ? "yes" : "no");
    if (!PrintPositionCoefficients(&record) || !Convert(&f, &record)) {
        fprintf(stderr, "host: %s refuses a conversion\n", name);
        return 3;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: host IMAGE\n");
        return 1;
    }
    uint8_t image[PROBE_IMAGE_SIZE];
    if (!ReadImage(argv[1], image)) {
        fprintf(stderr, "host: %s: cannot read %d bytes\n", argv[1], PROBE_IMAGE_SIZE);
        return 2;
    }
    char name[64];
    void* library = OpenProbeLibrary(image[TypeCharacterOffset] - '0', name, sizeof name);
    if (library == NULL) {
        fprintf(stderr, "host: %s cannot be loaded\n", name);
        return 3;
    }
    int result = Run(library, name, image);
    CloseProbeLibrary(library);
    return result;
}
