#pragma once
// LNSPlugInAPI: the automation object through which a director drives the
// plug-in. Every instance shares the process-wide state of MMain; only the
// network interface name belongs to the instance. Failures are raised as
// AutomationError.

#include <QString>
#include <QVariant>
#include <array>
#include <functional>

class QWidget;

// The interface's members in the order of their slots (after the standard
// dispatch slots). The bus layer builds its introspection from this table and
// reaches every accessor through Invoke(slot, ...).
enum class SlotKind { Method, Get, Let };
enum class SlotType { None, Long, Integer, Boolean, String };

struct InterfaceSlot {
  int slot;
  const char* member;
  SlotKind kind;
  SlotType type;  // the property's type; None for the method
};

inline constexpr std::array<InterfaceSlot, 29> kLNSPlugInAPISlots = {{
    {1, "SendCommand", SlotKind::Method, SlotType::None},
    {2, "Visible", SlotKind::Get, SlotType::Boolean},
    {3, "Visible", SlotKind::Let, SlotType::Boolean},
    {4, "networkName", SlotKind::Get, SlotType::String},
    {5, "networkName", SlotKind::Let, SlotType::String},
    {6, "NetworkInterfaceName", SlotKind::Get, SlotType::String},
    {7, "NetworkInterfaceName", SlotKind::Let, SlotType::String},
    {8, "Remote", SlotKind::Get, SlotType::Boolean},
    {9, "Remote", SlotKind::Let, SlotType::Boolean},
    {10, "Height", SlotKind::Let, SlotType::Long},
    {11, "Height", SlotKind::Get, SlotType::Long},
    {12, "Width", SlotKind::Let, SlotType::Long},
    {13, "Width", SlotKind::Get, SlotType::Long},
    {14, "Left", SlotKind::Let, SlotType::Long},
    {15, "Left", SlotKind::Get, SlotType::Long},
    {16, "Minimized", SlotKind::Let, SlotType::Boolean},
    {17, "Minimized", SlotKind::Get, SlotType::Boolean},
    {18, "ManufacturerID", SlotKind::Get, SlotType::String},
    {19, "ManufacturerID", SlotKind::Let, SlotType::String},
    {20, "ManufacturerName", SlotKind::Get, SlotType::String},
    {21, "ManufacturerName", SlotKind::Let, SlotType::String},
    {22, "LcaVersion", SlotKind::Get, SlotType::String},
    {23, "LcaVersion", SlotKind::Let, SlotType::String},
    {24, "Version", SlotKind::Get, SlotType::String},
    {25, "Version", SlotKind::Let, SlotType::String},
    {26, "Top", SlotKind::Let, SlotType::Long},
    {27, "Top", SlotKind::Get, SlotType::Long},
    {28, "Name", SlotKind::Get, SlotType::String},
    {29, "Name", SlotKind::Let, SlotType::String},
}};

// The slot of a property accessor, or 0 when the interface has no such member.
int PropertySlot(const QString& member, SlotKind kind);

class LNSPlugInAPI {
 public:
  // Object creation: the first live object builds the command table and binds
  // the Object Server of fMain.
  LNSPlugInAPI();
  LNSPlugInAPI(const LNSPlugInAPI&) = delete;
  LNSPlugInAPI& operator=(const LNSPlugInAPI&) = delete;
  ~LNSPlugInAPI() = default;

  // Object release (runs once). With the window hidden and no object left it
  // ends the plug-in.
  void Release();
  bool released() const { return released_; }

  void SendCommand(qint32 commandId, qint16 objectClassId, const QString& objectName);

  bool Visible();
  void setVisible(bool visible);
  QString networkName();
  void setNetworkName(const QString& name);
  QString NetworkInterfaceName() const { return networkInterfaceName_; }
  void setNetworkInterfaceName(const QString& name) { networkInterfaceName_ = name; }
  bool Remote();
  void setRemote(bool remote);
  qint32 Height();
  void setHeight(qint32 pixels);
  qint32 Width();
  void setWidth(qint32 pixels);
  qint32 Left();
  void setLeft(qint32 pixels);
  qint32 Top();
  void setTop(qint32 pixels);
  bool Minimized();
  void setMinimized(bool minimized);

  // Constant properties; their let accessors raise 20002.
  QString ManufacturerID() const;
  QString ManufacturerName() const;
  QString LcaVersion() const;
  QString Version() const;
  QString Name() const;
  [[noreturn]] void setConstant(const QString& value);

  // Calls the member in the slot: a get answers its value, a let takes
  // args[0], the method takes its three arguments. The arguments must already
  // have the slot's types.
  QVariant Invoke(int slot, const QVariantList& args);

 private:
  QString networkInterfaceName_;
  bool released_ = false;
};

// Command 50 ("Register") runs the plug-in's command registration, which the
// program installs here at start-up; until then it does nothing.
void SetRegisterCommandsHook(std::function<void()> hook);

// Window sizes cross the interface in screen pixels; the windows work in
// twips (1440 per logical inch).
double TwipsPerPixelX(const QWidget* window);
double TwipsPerPixelY(const QWidget* window);
double TwipsFromPixels(qint32 pixels, double twipsPerPixel);
// Rounds to the nearest integer, halves to even, and keeps the result within
// the 32-bit range.
qint32 PixelsFromTwips(double twips, double twipsPerPixel);
