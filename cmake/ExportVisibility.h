/* Included ahead of every library source on ELF platforms (see
 * CMakeLists.txt). The library is compiled with hidden visibility, so only
 * what is declared here keeps default visibility: the functions of the public
 * header, whose declarations come first and set the visibility of their
 * definitions. Internal C++ symbols stay out of the dynamic symbol table. */
#pragma GCC visibility push(default)
#include "tiz.h"
#pragma GCC visibility pop
