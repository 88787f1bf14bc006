#include "data_server_link.h"

#include <dlfcn.h>
#include <link.h>

#include <QFileInfo>
#include <map>
#include <mutex>
#include <string>

#include "completion.h"

namespace zev {

namespace {

// The exported symbol is either the table itself or a function answering it;
// the symbol's ELF type tells which.
const LcaOrdinalTable* tableOf(void* library, QString* error) {
  void* symbol = dlsym(library, lca::kOrdinalTableSymbol);
  if (!symbol) {
    *error = QStringLiteral("no symbol %1").arg(QLatin1String(lca::kOrdinalTableSymbol));
    return nullptr;
  }
  Dl_info info;
  void* extra = nullptr;
  if (dladdr1(symbol, &info, &extra, RTLD_DL_SYMENT) && extra) {
    const auto* entrySym = static_cast<const ElfW(Sym)*>(extra);
    const unsigned type = ELF64_ST_TYPE(entrySym->st_info);
    if (type == STT_FUNC || type == STT_GNU_IFUNC) {
      const LcaOrdinalTable* table = reinterpret_cast<LcaGetOrdinalTable>(symbol)();
      if (!table)
        *error = QStringLiteral("the data server answered no ordinal table");
      return table;
    }
  }
  return static_cast<const LcaOrdinalTable*>(symbol);
}

QString moduleFolder() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&PointCallback), &info) && info.dli_fname)
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
  return QString();
}

std::mutex g_mutex;
std::map<std::string, std::unique_ptr<DataServerApi>> g_loaded;  // by the path asked for

}  // namespace

template <typename Fn>
Fn DataServerApi::entry(std::int32_t ordinal) const {
  if (!table_.functions || ordinal >= table_.count)
    return nullptr;
  return reinterpret_cast<Fn>(table_.functions[ordinal]);
}

std::int32_t DataServerApi::ResetDataServer(std::int32_t dataServer) const {
  const auto fn = entry<LcaResetDataServer>(lca::kResetDataServer);
  return fn ? fn(dataServer) : lca::kLcaFailed;
}

std::int32_t DataServerApi::OpenPoint(std::int32_t dataServer, std::int32_t kind, const char* deviceName,
                                      std::int32_t messageCode, std::int32_t* pointHandle,
                                      LcaPointCallback callback) const {
  const auto fn = entry<LcaOpenPoint>(lca::kOpenPoint);
  return fn ? fn(dataServer, kind, deviceName, 0, messageCode, pointHandle, callback, 0) : lca::kLcaFailed;
}

std::int32_t DataServerApi::ActivatePoint(std::int32_t dataServer, std::int32_t pointHandle) const {
  const auto fn = entry<LcaActivatePoint>(lca::kActivatePoint);
  return fn ? fn(dataServer, pointHandle, 1) : lca::kLcaFailed;
}

std::int32_t DataServerApi::SetPointAttribute(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t attribute,
                                              std::int32_t value) const {
  const auto fn = entry<LcaSetPointAttribute>(lca::kSetPointAttribute);
  return fn ? fn(dataServer, pointHandle, attribute, &value) : lca::kLcaFailed;
}

std::int32_t DataServerApi::WritePoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t byteCount,
                                       const char* text) const {
  const auto fn = entry<LcaWritePoint>(lca::kWritePoint);
  return fn ? fn(dataServer, pointHandle, byteCount, text) : lca::kLcaFailed;
}

std::int32_t DataServerApi::ReadPoint(std::int32_t dataServer, std::int32_t pointHandle, std::int32_t* byteCount,
                                      char* buffer) const {
  const auto fn = entry<LcaReadPoint>(lca::kReadPoint);
  return fn ? fn(dataServer, pointHandle, byteCount, buffer, 0) : lca::kLcaFailed;
}

const DataServerApi* LoadDataServer(QString* error) {
  const std::string override = qEnvironmentVariable(kDataServerPathVariable).toStdString();

  std::lock_guard<std::mutex> lock(g_mutex);
  if (auto it = g_loaded.find(override); it != g_loaded.end())
    return it->second.get();

  void* library = nullptr;
  if (!override.empty()) {
    library = dlopen(override.c_str(), RTLD_NOW | RTLD_LOCAL);
  } else {
    library = dlopen(lca::kLibraryName, RTLD_NOW | RTLD_LOCAL);
    const QString folder = moduleFolder();
    if (!library && !folder.isEmpty())
      library = dlopen(QString(folder + u'/' + QLatin1String(lca::kLibraryName)).toLocal8Bit().constData(),
                       RTLD_NOW | RTLD_LOCAL);
  }
  QString reason;
  if (!library) {
    const char* why = dlerror();
    reason = why ? QString::fromLocal8Bit(why) : QStringLiteral("cannot load the data server");
  } else if (const LcaOrdinalTable* table = tableOf(library, &reason)) {
    auto& slot = g_loaded[override];
    slot = std::make_unique<DataServerApi>(*table);
    return slot.get();
  }
  // A library without a table stays loaded: unloading code we have run
  // (its initialisers) is not worth the risk.
  if (error)
    *error = reason;
  return nullptr;
}

}  // namespace zev
