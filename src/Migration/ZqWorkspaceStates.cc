#include "Migration/ZqWorkspaceStates.h"

#include <algorithm>
#include <cmath>

#include "Migration/ZqAccounts.h"
#include "Utilities/ZqLog.h"

using zq_graph::AttributeType;
using zq_graph::ValueKind;

namespace {

double updatedAt(zq_graph::Object* state) {
  return state ? ZqWorkspaceState(state).lastUpdatedAt().value_or(-INFINITY) : -INFINITY;
}

bool isActive(zq_graph::Object* state) {
  const zq_graph::Value* active = state ? state->value("active") : nullptr;
  return active && active->truth().value_or(false);
}

}  // namespace

zq_graph::Model ZqWorkspaceStates::model() {
  zq_graph::Model model;
  model.entities.push_back({"WorkspaceState",
                            {{"lastUpdatedAt", ValueKind::Date, AttributeType::Date},
                             {"active", ValueKind::Number, AttributeType::Bool}},
                            {{"appStates", "GoogleAppState", "workspaceState", true, true}}});
  model.entities.push_back({"GoogleAppState",
                            {{"identifier", ValueKind::String, AttributeType::String},
                             {"url", ValueKind::String, AttributeType::String}},
                            {{"workspaceState", "WorkspaceState", "appStates", false, false}}});
  return model;
}

ZqWorkspaceStates::ZqWorkspaceStates(const std::string& path)
    : context_(std::make_unique<zq_graph::Context>(model())) {
  std::string error;
  if (!attachPersistencePath(path, &error)) {
    ZQ_LOG_WARN("Couldn't attach persistence. %@", error);
  }
}

bool ZqWorkspaceStates::attachPersistencePath(const std::string& path, std::string* error) {
  return context_->attach(path, error);
}

bool ZqWorkspaceStates::detachPersistence(std::string* error) {
  return context_->detach(error);
}

std::vector<ZqWorkspaceState> ZqWorkspaceStates::all() {
  std::string error;
  const auto objects = context_->fetch("WorkspaceState", &error);
  if (!objects) {
    ZQ_LOG_WARN("Could not execute ZqWorkspaceStates#all query. (%@)", error);
    return {};
  }
  std::vector<ZqWorkspaceState> states(objects->begin(), objects->end());
  std::stable_sort(states.begin(), states.end(),
                   [](const ZqWorkspaceState& a, const ZqWorkspaceState& b) {
                     return updatedAt(a.object()) > updatedAt(b.object());
                   });
  return states;
}

ZqWorkspaceState ZqWorkspaceStates::insertNewWorkspaceState() {
  ZqWorkspaceState state(context_->insert("WorkspaceState"));
  if (state.object()) state.setLastUpdatedAt(zq_graph::nowSinceReferenceDate());
  return state;
}

void ZqWorkspaceStates::deleteWorkspaceState(const ZqWorkspaceState& state) {
  context_->deleteObject(state.object());
}

void ZqWorkspaceStates::deleteGoogleAppState(const ZqGoogleAppState& state) {
  context_->deleteObject(state.object());
}

ZqWorkspaceState ZqWorkspaceStates::activeWorkspaceState() {
  std::string error;
  const auto objects = context_->fetch("WorkspaceState", &error);
  if (!objects) {
    ZQ_LOG_WARN("Could not execute ZqWorkspaceStates#activeWorkspaceState query. (%@)", error);
  } else {
    for (zq_graph::Object* object : *objects) {
      if (isActive(object)) return ZqWorkspaceState(object);
    }
  }
  ZqWorkspaceState state = insertNewWorkspaceState();
  if (state.object()) {
    state.setActive(true);
    store();
  }
  return state;
}

void ZqWorkspaceStates::setActiveWorkspaceState(const ZqWorkspaceState& state) {
  for (ZqWorkspaceState other : all()) other.setActive(false);
  if (state.object()) ZqWorkspaceState(state).setActive(true);
}

std::optional<ZqGoogleAppState> ZqWorkspaceStates::findFirstGoogleAppStateByAppIdentifier(
    const ZqGoogleAppIdentifier& identifier) {
  std::string error;
  const auto objects = context_->fetch("GoogleAppState", &error);
  if (!objects) {
    ZQ_LOG_WARN(
        "Could not execute ZqWorkspaceStates#findFirstGoogleAppStateByAppIdentifier:%@ query. "
        "(%@)",
        identifier.description(), error);
    return std::nullopt;
  }
  const std::string wanted = identifier.description();
  std::vector<zq_graph::Object*> matches;
  for (zq_graph::Object* object : *objects) {
    const zq_graph::Value* stored = object->value("identifier");
    if (stored && stored->string() && *stored->string() == wanted) matches.push_back(object);
  }
  if (matches.empty()) return std::nullopt;
  std::stable_sort(matches.begin(), matches.end(), [](zq_graph::Object* a, zq_graph::Object* b) {
    zq_graph::Object* stateA = a->relatedOne("workspaceState");
    zq_graph::Object* stateB = b->relatedOne("workspaceState");
    if (isActive(stateA) != isActive(stateB)) return isActive(stateA);
    return updatedAt(stateA) > updatedAt(stateB);
  });
  return ZqGoogleAppState(matches.front());
}

bool ZqWorkspaceStates::store(std::string* error) {
  return ZqSaveContext(*context_, error);
}
