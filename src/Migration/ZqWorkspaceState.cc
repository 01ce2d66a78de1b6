#include "Migration/ZqWorkspaceState.h"

std::optional<double> ZqWorkspaceState::lastUpdatedAt() const {
  const zq_graph::Value* stored = value("lastUpdatedAt");
  if (auto* date = stored ? std::get_if<zq_graph::Date>(&stored->storage) : nullptr) {
    return date->sinceReferenceDate;
  }
  return std::nullopt;
}

void ZqWorkspaceState::setLastUpdatedAt(double sinceReferenceDate) {
  object_->setValue("lastUpdatedAt", zq_graph::Value::date({sinceReferenceDate}));
}

std::vector<ZqGoogleAppState> ZqWorkspaceState::appStates() const {
  const auto& objects = object_->related("appStates");
  return {objects.begin(), objects.end()};
}

ZqGoogleAppState ZqWorkspaceState::addAppStateWithIdentifier(
    const ZqGoogleAppIdentifier& identifier) {
  ZqGoogleAppState state(object_->context()->insert("GoogleAppState"));
  state.setIdentifier(identifier.description());
  object_->addRelated("appStates", state.object());
  return state;
}
