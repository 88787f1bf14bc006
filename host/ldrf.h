#pragma once
// The LonWorks device-resource components the plug-in uses: the catalog, the
// general file component and the language-resource component. Every operation
// returns 0 on success; out arguments are filled by the call. The program wires
// in an implementation at start-up (setLdrfFactory).

#include <QString>
#include <memory>
#include <stdexcept>

namespace ldrf {

// Raised when a component cannot be created.
class ComponentError : public std::runtime_error {
 public:
  explicit ComponentError(const QString& description)
      : std::runtime_error(description.toStdString()), description_(description) {}
  const QString& description() const { return description_; }

 private:
  QString description_;
};

// "ILONMarkDvcRsrc.LdrfGeneral.1"
class LdrfGeneral {
 public:
  virtual ~LdrfGeneral() = default;
  virtual int OpenFile(const QString& path, int access, int reserved1, int reserved2, qint32& fileHandle) = 0;
  virtual int CloseFile(qint32 fileHandle) = 0;
};

// "ILONMarkDvcRsrc.LdrfLangRsrc.1"
class LdrfLangRsrc {
 public:
  virtual ~LdrfLangRsrc() = default;
  virtual int GetResourceString(qint32 fileHandle, qint16 index, QString& text) = 0;
};

// "ILONMarkDvcRsrc.LdrfCatalog.1"
class LdrfCatalog {
 public:
  virtual ~LdrfCatalog() = default;
  virtual int OpenCatalog(const QString& rootPath, qint32& value, qint32& catalogHandle) = 0;
  // Six out values; the second is the number of directories.
  virtual int GetCatalogInfo(qint32 catalogHandle, qint32& v1, qint32& dirCount, qint32& v3, qint32& v4, qint32& v5,
                             qint32& v6) = 0;
  virtual int CatalogGetDir(qint32 catalogHandle, qint16 index, QString& dirPath) = 0;
  virtual int CatalogRmvDir(qint32 catalogHandle, const QString& dirPath) = 0;
  virtual int CatalogAddDir(qint32 catalogHandle, const QString& dirPath) = 0;
  virtual int CatalogRefresh(qint32 catalogHandle) = 0;
  virtual int CloseCatalog(qint32 catalogHandle) = 0;
};

// Creates the components by their program identifiers; throws ComponentError
// when a component is not available.
class Factory {
 public:
  virtual ~Factory() = default;
  virtual std::unique_ptr<LdrfCatalog> createCatalog() = 0;
  virtual std::unique_ptr<LdrfGeneral> createGeneral() = 0;
  virtual std::unique_ptr<LdrfLangRsrc> createLangRsrc() = 0;
};

void setFactory(Factory* factory);
// The installed factory; throws ComponentError when none is installed.
Factory& factory();

}  // namespace ldrf
