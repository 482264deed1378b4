/*
 * Probe calibration library: the interface a host program includes.
 *
 * One header for the three libraries Palvo2, Palvo3 and Palvo6 (probe types 2, 3
 * and 6). A host loads the library whose name carries the probe's type, calls
 * ProbeInit with the 256-byte EEPROM image, then ProbeGetParameters, the
 * conversions and ProbeIsCalibrated; ProbeSetParameters encodes an edited record
 * back into an image. Every function but DllMain returns a 16-bit status; 0 means
 * done and 4 means the library holds no accepted image.
 */
#ifndef PALVO_H
#define PALVO_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define PALVO_CALL __cdecl
#define PALVO_API
#elif defined(PALVO_BUILDING)
#define PALVO_CALL
#define PALVO_API __attribute__((visibility("default")))
#else
#define PALVO_CALL
#define PALVO_API
#endif

#ifdef __cplusplus
#define PALVO_STATIC_ASSERT(condition, message) static_assert(condition, message)
extern "C" {
#else
#define PALVO_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

enum { PROBE_IMAGE_SIZE = 256, PROBE_PARAMETERS_SIZE = 1188, PROBE_TEXT_SIZE = 256 };

/* Handle of a movable global memory block (GlobalAlloc); 0 while no block is held. */
typedef uint32_t ProbeBlockHandle;

/* The decoded record. Reserved bytes are zero in every record the library produces. */
typedef struct ProbeParameters {
    int32_t Size; /* always PROBE_PARAMETERS_SIZE */
    uint8_t Type;
    uint8_t Reserved5[3];
    int32_t Serial;
    int32_t NNumber;
    int32_t UsageCount;
    uint8_t Gain; /* dB; 52 is unity */
    uint8_t PositionOrder;
    uint8_t Reserved22[2];
    ProbeBlockHandle PositionCoefficients; /* PositionOrder + 1 floats, c0 first */
    float FrValue;
    char OText[PROBE_TEXT_SIZE];
    char CalibrationDate[PROBE_TEXT_SIZE]; /* YYMM */
    char FabricationDate[PROBE_TEXT_SIZE];
    float ForceK;
    float ForceX0;
    float FValue;
    float RValue;
    float PresetReal0;
    uint8_t Reserved820[256];
    uint8_t PresetFlag0;
    uint8_t Reserved1077[3];
    float PresetReal1;
    float PresetReal2;
    float PresetReal3;
    float PresetReal4;
    float PresetReal5;
    float PresetReal6;
    float PresetReal7;
    float PresetReal8;
    uint32_t UsageLimit;
    uint32_t CalibrationMonths;
    uint8_t PresetFlag1;
    uint8_t Reserved1121[3];
    int32_t PresetInt1;
    int32_t PresetInt2;
    uint8_t Reserved1132[4];
    uint16_t PresetWordsA[5];
    uint16_t PresetWordsB[5];
    ProbeBlockHandle PositionTable; /* 65536 floats, entry i for the reading i - 32768 */
    float ForceX1;
    float ForceX2;
    float ForceF2;
    float ForceF1;
    uint8_t ForceOrder;
    uint8_t Reserved1177[3];
    ProbeBlockHandle ForceCoefficients; /* ForceOrder + 1 floats, d0 first */
    uint8_t Reserved1184[4];
} ProbeParameters;

#define PALVO_ASSERT_OFFSET(field, offset) \
    PALVO_STATIC_ASSERT(offsetof(ProbeParameters, field) == (offset), "offset of " #field)
PALVO_STATIC_ASSERT(sizeof(ProbeParameters) == PROBE_PARAMETERS_SIZE, "ProbeParameters size");
PALVO_ASSERT_OFFSET(Size, 0);
PALVO_ASSERT_OFFSET(Type, 4);
PALVO_ASSERT_OFFSET(Serial, 8);
PALVO_ASSERT_OFFSET(NNumber, 12);
PALVO_ASSERT_OFFSET(UsageCount, 16);
PALVO_ASSERT_OFFSET(Gain, 20);
PALVO_ASSERT_OFFSET(PositionOrder, 21);
PALVO_ASSERT_OFFSET(PositionCoefficients, 24);
PALVO_ASSERT_OFFSET(FrValue, 28);
PALVO_ASSERT_OFFSET(OText, 32);
PALVO_ASSERT_OFFSET(CalibrationDate, 288);
PALVO_ASSERT_OFFSET(FabricationDate, 544);
PALVO_ASSERT_OFFSET(ForceK, 800);
PALVO_ASSERT_OFFSET(ForceX0, 804);
PALVO_ASSERT_OFFSET(FValue, 808);
PALVO_ASSERT_OFFSET(RValue, 812);
PALVO_ASSERT_OFFSET(PresetReal0, 816);
PALVO_ASSERT_OFFSET(Reserved820, 820);
PALVO_ASSERT_OFFSET(PresetFlag0, 1076);
PALVO_ASSERT_OFFSET(PresetReal1, 1080);
PALVO_ASSERT_OFFSET(PresetReal2, 1084);
PALVO_ASSERT_OFFSET(PresetReal3, 1088);
PALVO_ASSERT_OFFSET(PresetReal4, 1092);
PALVO_ASSERT_OFFSET(PresetReal5, 1096);
PALVO_ASSERT_OFFSET(PresetReal6, 1100);
PALVO_ASSERT_OFFSET(PresetReal7, 1104);
PALVO_ASSERT_OFFSET(PresetReal8, 1108);
PALVO_ASSERT_OFFSET(UsageLimit, 1112);
PALVO_ASSERT_OFFSET(CalibrationMonths, 1116);
PALVO_ASSERT_OFFSET(PresetFlag1, 1120);
PALVO_ASSERT_OFFSET(PresetInt1, 1124);
PALVO_ASSERT_OFFSET(PresetInt2, 1128);
PALVO_ASSERT_OFFSET(PresetWordsA, 1136);
PALVO_ASSERT_OFFSET(PresetWordsB, 1146);
PALVO_ASSERT_OFFSET(PositionTable, 1156);
PALVO_ASSERT_OFFSET(ForceX1, 1160);
PALVO_ASSERT_OFFSET(ForceX2, 1164);
PALVO_ASSERT_OFFSET(ForceF2, 1168);
PALVO_ASSERT_OFFSET(ForceF1, 1172);
PALVO_ASSERT_OFFSET(ForceOrder, 1176);
PALVO_ASSERT_OFFSET(ForceCoefficients, 1180);
#undef PALVO_ASSERT_OFFSET

/* Status codes. 0 and 4 mean the same everywhere; the others depend on the function. */
enum ProbeStatusCode {
    ProbeStatusOk = 0,
    ProbeStatusWrongType = 1,      /* ProbeInit: wrong type; ProbeSetParameters: record Type */
    ProbeStatusLockFailed = 1,     /* ProbeGetPosition, ProbeGetPosition2: block cannot be locked */
    ProbeStatusBadChecksum = 2,    /* ProbeInit */
    ProbeStatusSerialMismatch = 2, /* ProbeSetParameters */
    ProbeStatusBadOrder = 3,       /* ProbeInit: a polynomial order above 15, or orders too large */
    ProbeStatusBadSize = 3,        /* ProbeGetParameters, ProbeSetParameters: Size is not 1188 */
    ProbeStatusNotReady = 4,       /* no image accepted since the last ProbeInit began */
    ProbeStatusNoMemory = 5,       /* ProbeInit: a block cannot be allocated or locked */
    ProbeStatusCannotEncode = 5    /* ProbeSetParameters: orders beyond the image, or a block
                                      that cannot be locked */
};

/* Field group that ProbeSetParameters rewrites; compared as a full 32-bit integer. */
enum ProbeEncodeMode {
    ProbeModeUsage = 1,
    ProbeModeManufacture = 2,
    ProbeModeCalibration = 0xFFFF
};

PALVO_API uint16_t PALVO_CALL ProbeGetForce(float raw, float* result);
PALVO_API uint16_t PALVO_CALL ProbeGetParameters(ProbeParameters* record);
PALVO_API uint16_t PALVO_CALL ProbeGetPosition2(int16_t sample, float* result); /* Palvo6 only */
PALVO_API uint16_t PALVO_CALL ProbeGetPosition(float raw, float* result);
PALVO_API uint16_t PALVO_CALL ProbeGetPression(float raw, float* result);
PALVO_API uint16_t PALVO_CALL ProbeInit(const uint8_t* image);
PALVO_API uint16_t PALVO_CALL ProbeIsCalibrated(int32_t* calibrated);
PALVO_API uint16_t PALVO_CALL ProbeSetParameters(ProbeParameters record, uint8_t* image,
                                                 int32_t mode);

/* The same functions as pointer types, for hosts that bind at run time. */
typedef uint16_t(PALVO_CALL* ProbeGetForceFn)(float raw, float* result);
typedef uint16_t(PALVO_CALL* ProbeGetParametersFn)(ProbeParameters* record);
typedef uint16_t(PALVO_CALL* ProbeGetPosition2Fn)(int16_t sample, float* result);
typedef uint16_t(PALVO_CALL* ProbeGetPositionFn)(float raw, float* result);
typedef uint16_t(PALVO_CALL* ProbeGetPressionFn)(float raw, float* result);
typedef uint16_t(PALVO_CALL* ProbeInitFn)(const uint8_t* image);
typedef uint16_t(PALVO_CALL* ProbeIsCalibratedFn)(int32_t* calibrated);
typedef uint16_t(PALVO_CALL* ProbeSetParametersFn)(ProbeParameters record, uint8_t* image,
                                                   int32_t mode);

#ifdef __cplusplus
}
#endif

#endif /* PALVO_H */
