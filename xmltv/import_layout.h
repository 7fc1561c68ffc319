// How an import lays out its bases: a channel's file name, and each
// channel's programmes as the bytes of a base, in start order.
#ifndef SKEDCOMP_XMLTV_IMPORT_LAYOUT_H_
#define SKEDCOMP_XMLTV_IMPORT_LAYOUT_H_

#include <string>
#include <vector>

#include "xmltv/read_xmltv.h"

// The file name of a channel's base: the id with every byte but A-Z a-z 0-9
// . _ - made '_' ("_" for an empty id). Two ids may give one name; the import
// then refuses, naming both.
std::string BaseFileNameOf(const std::string& id);

struct LaidOutBase {
  std::string file_name;  // BaseFileNameOf the channel's id
  std::string index;      // the .ndx bytes
  std::string titles;     // the .pdt bytes
};

// Sorts each channel's programmes by start (equal starts keep the file's
// order) and lays it out as skedcomp writes a guide; false with why in
// `*error` when a channel has too many programmes, its titles do not fit, or
// two channels would get one file name.
bool LayOutBases(std::vector<XmltvChannel>* channels, std::vector<LaidOutBase>* bases,
                 std::string* error);

#endif  // SKEDCOMP_XMLTV_IMPORT_LAYOUT_H_
