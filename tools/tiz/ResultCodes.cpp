#include "ResultCodes.h"

#include "tiz.h"

namespace tiztool {

namespace {

struct Meaning {
  int32_t result;
  const char *text;
};

constexpr Meaning kMeanings[] = {
    {TIZ_OK, "success"},
    {TIZ_FOUND_IN_ANCESTOR, "found in an ancestor store"},
    {TIZ_NOT_FOUND, "not found"},
    {TIZ_TRUNCATED_DISPLAY, "display text cut"},
    {TIZ_E_NO_MEMORY_LINE, "no memory for a settings line"},
    {TIZ_E_WRITE_BUFFER, "cannot write a buffer value"},
    {TIZ_E_INVALID_HANDLE, "invalid store handle"},
    {TIZ_E_INVALID_ARG, "invalid argument"},
    {TIZ_E_TOO_SMALL, "destination too small"},
    {TIZ_E_SIDE_MISMATCH, "the side shortcuts disagree"},
    {TIZ_E_NO_DPI, "no known resolution in the mask"},
    {TIZ_E_CYCLE, "would close a cycle of parents"},
    {TIZ_E_NO_RECORD, "no such record, or its kind is not a number"},
    {TIZ_E_SAME_IMAGE, "the image is already the current one"},
    {TIZ_E_NULL_POINTER, "a required pointer is null"},
    {TIZ_E_OPEN_FILE, "a file named by a settings line cannot be opened"},
    {TIZ_E_NO_SAVED_TREE, "no saved image tree"},
    {TIZ_E_END_OF_ITERATION, "end of iteration"},
    {TIZ_E_BAD_SECTION, "a section name lacks its owner, group or item part"},
    {TIZ_E_READ_BUFFER, "cannot read a buffer value"},
    {TIZ_E_EMPTY_TYPE, "a section has an empty type"},
    {TIZ_E_RESET_REFCOUNTS, "resetting reference counts failed"},
    {TIZ_E_EMPTY_STORE, "the store holds no settings"},
    {TIZ_E_WRONG_TYPE, "the setting has another type"},
    {TIZ_E_NOT_PROVIDED, "not provided"},
};

}  // namespace

std::string DescribeResult(int32_t result) {
  // Codes of the host libraries (configuration, support, image) pass
  // through the library unchanged.
  const char *text = "a host library's code";
  for (const Meaning &meaning : kMeanings) {
    if (meaning.result == result) text = meaning.text;
  }
  return "result " + std::to_string(result) + " (" + text + ")";
}

}  // namespace tiztool
