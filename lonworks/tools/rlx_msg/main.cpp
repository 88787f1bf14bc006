// rlx-msg: one explicit message to an RLX router through the real control and
// data server (see rlx_msg.h).
#include <QCoreApplication>
#include <QTextStream>
#include <chrono>

#include "explicit_control/zev_activex_ctrl.h"
#include "lonworks/object_server/object_server.h"
#include "rlx_build_info.h"
#include "rlx_msg.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("rlx-msg"));
  QTextStream out(stdout);
  QTextStream err(stderr);
  // The command line, the message included, is checked before anything is opened.
  QString why;
  const auto options = rlxmsg::parseArguments(QCoreApplication::arguments().mid(1), &why);
  if (!options) {
    err << "rlx-msg: " << why << "\n" << rlxmsg::usage();
    return rlxmsg::kExitUsage;
  }
  if (options->action == rlxmsg::Options::Action::Help) {
    out << rlxmsg::usage();
    return rlxmsg::kExitReplied;
  }
  if (options->action == rlxmsg::Options::Action::Version) {
    out << "rlx-msg " << RLX_PROJECT_VERSION << "\n";
    return rlxmsg::kExitReplied;
  }

  rlxmsg::Target target;
  {
    // The handles come from the network database, the way the plug-in reads them.
    lnssim::SimObjectServer server;
    try {
      target = rlxmsg::findTarget(server, options->network, options->device);
    } catch (const lns::LnsError& e) {
      err << "rlx-msg: " << e.description() << " (error " << e.number() << ")\n";
      return e.number() == lns::kErrNotFound ? rlxmsg::kExitUsage : rlxmsg::kExitFailed;
    }
    server.Close();
  }

  CZEV_ActiveXCtrl control;
  control.SetstrNodeName(rlxmsg::nodeName(target.deviceHandle));
  const rlxmsg::Sender send = [&](const QString& message) {
    control.SetstrExplicitMessage(message);
    return control.MsgResponse(target.dataServer);
  };
  const rlxmsg::Timer timer = [] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  const int code = rlxmsg::run(*options, send, timer, out);
  out.flush();
  return code;
}
