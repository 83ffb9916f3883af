/*
 * tiz_result.h: what a result code of the tiz library means, in words for a
 * message to a user. Header-only: nothing of it is exported by the library,
 * so it works with any build of it (the DLL included). C99 and C++.
 *
 *   printf("saving failed: %d (%s)\n", (int)r, tiz_result_text(r));
 *
 * Codes -1 to -5 are those of the configuration library (BrlConfigIO), which
 * the tree-file and settings-file functions pass on unchanged; the texts
 * below are those of the configuration library shipped with tiz. A code the
 * library itself never makes is the answer of a host library passed through,
 * or the support library's answer to an exception the library caught.
 */
#ifndef TIZ_RESULT_H
#define TIZ_RESULT_H

#include <stdint.h>

#include "tiz.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A static text for every code; never null. */
static inline const char *tiz_result_text(int32_t result) {
  switch (result) {
    case TIZ_OK:
      return "success";
    case TIZ_FOUND_IN_ANCESTOR:
      return "found in an ancestor store, not in the store itself";
    case TIZ_NOT_FOUND:
      return "not found";
    case TIZ_TRUNCATED_DISPLAY:
      return "the display text was cut to fit the buffer";
    case -1:
      return "the configuration library does not know the parameter or value asked for, or "
             "the library caught an unexpected failure such as exhausted memory";
    case -2:
      return "the configuration library refused an argument: a null pointer, or a file name "
             "that is empty, \".\" or \"..\"";
    case -3:
      return "the configuration library has no file name for tree files yet";
    case -4:
      return "the configured directory of tree files or settings files does not exist and "
             "cannot be created";
    case -5:
      return "the configured path is too long for the library's buffer";
    case TIZ_E_NO_MEMORY_LINE:
      return "out of memory while reading a settings file, or displaying a setting failed "
             "(exhausted memory, or a structure's display callback failed)";
    case TIZ_E_WRITE_BUFFER:
      return "a buffer value could not be written to the tree file";
    case TIZ_E_INVALID_HANDLE:
      return "invalid store handle";
    case TIZ_E_INVALID_ARG:
      return "invalid argument (such as an empty group), a number in a tree file that cannot "
             "be read, or a settings line without a value or with a bad byte count";
    case TIZ_E_TOO_SMALL:
      return "a buffer is too small for the value, or a text in a tree file is longer than "
             "its Size allows";
    case TIZ_E_SIDE_MISMATCH:
      return "the side shortcuts of the global bag disagree";
    case TIZ_E_NO_DPI:
      return "no known resolution in the DPI mask";
    case TIZ_E_CYCLE:
      return "the link would make a store its own ancestor";
    case TIZ_E_NO_RECORD:
      return "no such record, or a field of the record is not a number";
    case TIZ_E_SAME_IMAGE:
      return "the image is already the stored one";
    case TIZ_E_NULL_POINTER:
      return "a required pointer is null";
    case TIZ_E_OPEN_FILE:
      return "a file could not be opened, read or replaced: a tree file, or the file of a "
             "settings file's filebuffer line";
    case TIZ_E_NO_SAVED_TREE:
      return "no saved image tree to restore";
    case TIZ_E_END_OF_ITERATION:
      return "no more groups";
    case TIZ_E_BAD_SECTION:
      return "a section name in the tree file lacks its store, group or item part";
    case TIZ_E_READ_BUFFER:
      return "a buffer value in the tree file is missing, does not match its Size, or has a "
             "wrong checksum";
    case TIZ_E_EMPTY_TYPE:
      return "a section in the tree file has no Type";
    case TIZ_E_RESET_REFCOUNTS:
      return "resetting the reference counts failed";
    case TIZ_E_EMPTY_STORE:
      return "the store holds no settings";
    case TIZ_E_WRONG_TYPE:
      return "the setting holds a value of another type";
    case TIZ_E_NOT_PROVIDED:
      return "not provided by this library";
    default:
      return result < 0 ? "an error passed through from a host library, or the support "
                          "library's answer to a failure the library caught"
                        : "not a result code of the library";
  }
}

#ifdef __cplusplus
}
#endif

#endif
