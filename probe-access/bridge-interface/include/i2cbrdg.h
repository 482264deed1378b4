/*
 * The USB-to-I2C bridge library interface the writer links against: the
 * vendor's library on a bench, or the simulated bridge (i2cbrdg/), one bridge
 * with a 256-byte EEPROM behind it. Any library with this interface can take
 * the place of another.
 */
#ifndef I2CBRDG_H
#define I2CBRDG_H

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#define U2C_CALL __stdcall
#define U2C_API
#else
typedef void* HANDLE;
#define U2C_CALL
#define U2C_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define U2C_INVALID_HANDLE ((HANDLE)(intptr_t)-1)

/* One transfer: 264 bytes on the wire, no padding, little-endian. */
#pragma pack(push, 1)
typedef struct I2cTransaction {
    uint8_t slaveAddress;   /* 7-bit address of the target */
    uint8_t addressLength;  /* memory-address bytes sent before the data */
    uint32_t memoryAddress; /* start address inside the target */
    uint16_t length;        /* data bytes to move */
    uint8_t data[256];
} I2cTransaction;
#pragma pack(pop)

/* Results: 0 success; 5 the addressed device did not answer; others bus failures. */
U2C_API uint8_t U2C_CALL U2C_GetDeviceCount(void);
U2C_API HANDLE U2C_CALL U2C_OpenDevice(uint8_t index); /* U2C_INVALID_HANDLE on failure */
U2C_API int U2C_CALL U2C_SetI2cFreq(HANDLE device, uint8_t frequencyCode);
U2C_API int U2C_CALL U2C_SetClockSynch(HANDLE device, int enable);
U2C_API int U2C_CALL U2C_Read(HANDLE device, I2cTransaction* transaction);
U2C_API int U2C_CALL U2C_Write(HANDLE device, I2cTransaction* transaction);
U2C_API int U2C_CALL U2C_CloseDevice(HANDLE device);

#ifdef __cplusplus
}
#endif

#endif /* I2CBRDG_H */
