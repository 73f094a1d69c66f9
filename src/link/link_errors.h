#pragma once

#include <cstdint>

// Codes TQXRead and TQXWrite put into *status.
enum : int32_t {
    TQX_OK = 0,
    TQX_ERR_REFUSED = 1,    // unknown mode, bad length, range outside the block: nothing sent
    TQX_ERR_NO_PORT = 2,    // port 1 could not be opened
    TQX_ERR_NO_ANSWER = 3,  // the controller stayed silent (or is held silent after that)
    TQX_ERR_BAD_ANSWER = 4, // corrupt, short or mismatched answer
    TQX_ERR_EXCEPTION = 5,  // the controller refused the request (read-only block, WDIS)
};
