// The project's one precondition check: a programmer error stops a debug build
// at once and makes a release build take the safe early return the caller wrote.
//
//   ZEST_ASSERT_OR_RETURN(index < count, false);
#pragma once

#include "platform/Log.h"

#include <cassert>

#define ZEST_ASSERT(cond) assert(cond)

#define ZEST_ASSERT_OR_RETURN(cond, ...)                                                                              \
    do                                                                                                                 \
    {                                                                                                                  \
        if (!(cond))                                                                                                   \
        {                                                                                                              \
            assert(!"precondition failed: " #cond);                                                                    \
            ::zest::Logf(::zest::LogLevel::Error, "precondition failed: %s (%s:%d)", #cond, __FILE__, __LINE__);       \
            return __VA_ARGS__;                                                                                        \
        }                                                                                                              \
    } while (0)
