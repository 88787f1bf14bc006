#pragma once
// The device-resource components over our own plain-text files.
//
// Language file (".enu"): first line "LDRF-LANGUAGE 1", then lines
// "index=text" (index 0..32767), ";" comment lines and blank lines, and a
// last line "END". A file without the header or the END line (a truncated
// copy) does not open.
//
// Catalog: the file "ldrf.cat" in the catalog root folder: first line
// "LDRF-CATALOG 1", then one registered resource directory per line.
// Opening a catalog in an existing folder without the file creates it.

#include <QString>

#include "host/ldrf.h"

namespace lonworks {

class LdrfStandInFactory : public ldrf::Factory {
 public:
  std::unique_ptr<ldrf::LdrfCatalog> createCatalog() override;
  std::unique_ptr<ldrf::LdrfGeneral> createGeneral() override;
  std::unique_ptr<ldrf::LdrfLangRsrc> createLangRsrc() override;
};

// Error codes the stand-in answers.
enum LdrfStatus {
  kLdrfOk = 0,
  kLdrfFileNotFound = 2,
  kLdrfBadFormat = 13,
  kLdrfBadHandle = 6,
  kLdrfNotFound = 1168,
  kLdrfExists = 183,
  kLdrfWriteFailed = 29,
};

}  // namespace lonworks
