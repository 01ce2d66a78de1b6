#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Migration/ZqWorkspaceState.h"

// The previous version's workspace store ("WorkspaceStates.xml").
class ZqWorkspaceStates {
 public:
  explicit ZqWorkspaceStates(const std::string& path);

  static zq_graph::Model model();
  zq_graph::Context& context() { return *context_; }

  bool attachPersistencePath(const std::string& path, std::string* error);
  bool detachPersistence(std::string* error);

  // Newest first.
  std::vector<ZqWorkspaceState> all();
  ZqWorkspaceState insertNewWorkspaceState();
  void deleteWorkspaceState(const ZqWorkspaceState& state);
  void deleteGoogleAppState(const ZqGoogleAppState& state);
  // The active state; without one a new state is made active and saved.
  ZqWorkspaceState activeWorkspaceState();
  void setActiveWorkspaceState(const ZqWorkspaceState& state);
  // Among several tabs of the identifier: one of the active workspace first, then the most
  // recently updated workspace's.
  std::optional<ZqGoogleAppState> findFirstGoogleAppStateByAppIdentifier(
      const ZqGoogleAppIdentifier& identifier);
  bool store(std::string* error = nullptr);

 private:
  std::unique_ptr<zq_graph::Context> context_;
};
