#pragma once
// The LCA data server library, loaded with dlopen and called by ordinal.
//
// Where the library comes from: the path in RLX_LCADATSV when that is set;
// otherwise the library name through the dynamic loader's search (which
// includes the run path of this module), and then the folder this module was
// loaded from. A library that cannot be loaded, lacks the ordinal table or
// lacks a function makes the affected calls answer kLcaFailed; nothing crashes.

#include <QString>
#include <cstdint>
#include <memory>

#include "explicit_control/lcadatsv_abi.h"

namespace zev {

constexpr const char* kDataServerPathVariable = "RLX_LCADATSV";

// The six functions the control uses, looked up in the table at each call.
// Missing functions answer kLcaFailed.
class DataServerApi {
 public:
  explicit DataServerApi(const LcaOrdinalTable& table) : table_(table) {}

  std::int32_t ResetDataServer(std::int32_t dataServer) const;
  std::int32_t OpenPoint(std::int32_t dataServer, std::int32_t kind, const char* deviceName, std::int32_t messageCode,
                         std::int32_t* pointHandle, LcaPointCallback callback) const;
  std::int32_t ActivatePoint(std::int32_t dataServer, std::int32_t pointHandle) const;
  std::int32_t SetPointAttribute(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t attribute,
                                 std::int32_t value) const;
  std::int32_t WritePoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t byteCount,
                          const char* text) const;
  std::int32_t ReadPoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t* byteCount,
                         char* buffer) const;

 private:
  template <typename Fn>
  Fn entry(std::int32_t ordinal) const;

  const LcaOrdinalTable& table_;
};

// The data server of the process, loaded on first use. A failed load is not
// remembered, so a later call tries again. Libraries stay loaded for the
// life of the process (the data server may still hold our callback or run
// threads of its own). Answers null, with the reason in *error, when no
// library can be loaded.
const DataServerApi* LoadDataServer(QString* error = nullptr);

}  // namespace zev
