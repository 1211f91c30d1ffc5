// The platform records the client fills in are passed with their full size;
// on 32-bit Windows those sizes are fixed, and a header change that altered
// one would go unnoticed at run time.

#include <windows.h>

#include <mshtmhst.h>
#include <shellapi.h>

#if defined(__i386__)
static_assert(sizeof(NOTIFYICONDATAA) == 508);
static_assert(sizeof(DOCHOSTUIINFO) == 20);
static_assert(sizeof(BITMAP) == 24);
static_assert(sizeof(WINDOWPLACEMENT) == 44);
static_assert(sizeof(LOGFONTA) == 60);
#endif
