// The client's transactions: one SimDatabase transaction held open between
// StartTransaction and CommitTransaction. Every change the server makes
// meanwhile joins it (nested changes become savepoints), so a commit writes
// them together and a cancel, a close or the end of the process drops them.

#include "sim_objects.h"

namespace lnssim {

void SimObjectServer::StartTransaction() {
  SimDatabase& db = core_->requireServer();
  if (core_->transaction)
    throw lns::LnsError(lns::kErrTransaction, QStringLiteral("A transaction is already pending"));
  if (db.inTransaction())
    throw lns::LnsError(lns::kErrTransaction, QStringLiteral("A transaction cannot start inside a change"));
  core_->transaction = std::make_unique<SimDatabase::Transaction>(db);
}

void SimObjectServer::CommitTransaction() {
  core_->requireServer();
  if (!core_->transaction)
    throw lns::LnsError(lns::kErrTransaction, QStringLiteral("No transaction is pending"));
  // The transaction is gone whether or not the commit succeeds; a failed
  // commit rolls back when it is destroyed.
  std::unique_ptr<SimDatabase::Transaction> tx = std::move(core_->transaction);
  tx->commit();
}

void SimObjectServer::CancelTransaction() {
  core_->requireServer();
  if (!core_->transaction)
    throw lns::LnsError(lns::kErrTransaction, QStringLiteral("No transaction is pending"));
  core_->transaction.reset();
}

bool SimObjectServer::inTransaction() const { return core_->transaction != nullptr; }

}  // namespace lnssim
