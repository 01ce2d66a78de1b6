#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Migration/ZqAccount.h"

// The previous version's accounts store ("Accounts.xml"): accounts with their bookmarks,
// download records and signatures.
class ZqAccounts {
 public:
  // Attaches the store file at `path`; a failure is logged and leaves the object usable, with
  // every fetch failing.
  explicit ZqAccounts(const std::string& path);

  static zq_graph::Model model();
  zq_graph::Context& context() { return *context_; }

  bool attachPersistencePath(const std::string& path, std::string* error);
  bool detachPersistence(std::string* error);

  // By order, then user name.
  std::vector<ZqAccount> all();
  std::optional<ZqAccount> findByUsername(const std::string& name,
                                          const std::optional<ZqAccount>& sender = {});
  std::optional<ZqAccount> findByNickname(const std::string& name,
                                          const std::optional<ZqAccount>& sender = {});
  bool hasBookmarks();
  bool isAccessible(const ZqManagedObject& object) const;
  // Writes pending changes; see ZqSaveContext.
  bool store(std::string* error = nullptr);

 private:
  std::optional<ZqAccount> findBy(const char* attribute, const std::string& name,
                                  const std::optional<ZqAccount>& sender);
  std::unique_ptr<zq_graph::Context> context_;
};

// Saves a context: true when nothing changed or the write succeeded; on failure the error is
// logged with the call stack, handed out, and the changes are rolled back.
bool ZqSaveContext(zq_graph::Context& context, std::string* error);
