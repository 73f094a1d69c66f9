#pragma once

/* TQXCOMM, the serial link library: all traffic with the controller goes through these
 * four functions. Every integer argument and result is 32-bit. TQXRead and TQXWrite move
 * `length` units (bytes in modes 1, 2 and 12, 16-bit words in modes 17 and 18) between
 * controller block `block`, starting at byte `offset`, and `buffer`; they return nonzero
 * on success and 0 on failure, and write an error code (0 for success) to *status. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    TQX_MODE_READ_BYTES = 1,
    TQX_MODE_WRITE_BYTES = 2,
    TQX_MODE_WRITE_ABSOLUTE = 12, /* offset is an absolute byte address in pattern memory */
    TQX_MODE_READ_WORDS = 17,
    TQX_MODE_WRITE_WORDS = 18
};

enum { TQX_MAX_UNITS = 126 };

int32_t TQXOpenSerialPort(int32_t port);
int32_t TQXCloseSerialPort(void);
int32_t TQXRead(int32_t mode, int32_t block, int32_t offset, int32_t length, void* buffer,
                int32_t* status);
int32_t TQXWrite(int32_t mode, int32_t block, int32_t offset, int32_t length, const void* buffer,
                 int32_t* status);

#ifdef __cplusplus
}
#endif
