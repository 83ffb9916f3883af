// The profile document inside a TreeText, for the inspection's own files.
#ifndef TIZ_INSPECT_TREETEXTACCESS_H
#define TIZ_INSPECT_TREETEXTACCESS_H

#include "inspect/TreeInspection.h"
#include "persist/ProfileDocument.h"

namespace tiz::inspect {

struct TreeTextAccess {
  static ProfileDocument &Doc(TreeText &text) { return *text.m_doc; }
  static const ProfileDocument &Doc(const TreeText &text) { return *text.m_doc; }
};

}  // namespace tiz::inspect

#endif
