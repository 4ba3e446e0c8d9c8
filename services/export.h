// Visibility of the core functions the library exports besides its entry
// points. VX_CORE: a plain, undecorated C name. VX_CORE_CXX: the function
// keeps its decorated C++ name, which carries its argument types.
#pragma once

#if defined(_WIN32)
#define VX_CORE extern "C"
#define VX_CORE_CXX __declspec(dllexport)
#else
#define VX_CORE extern "C" __attribute__((visibility("default")))
#define VX_CORE_CXX __attribute__((visibility("default")))
#endif
