/* Calling convention shared by the library and its host-library stand-ins. */
#ifndef TIZ_PLATFORM_H
#define TIZ_PLATFORM_H

#if defined(_WIN32) && !defined(_WIN64)
#define TIZ_API __stdcall
#else
#define TIZ_API
#endif

#ifdef __cplusplus
#define TIZ_EXTERN_C extern "C"
#else
#define TIZ_EXTERN_C
#endif

#endif
