#pragma once

#include <vector>

#include "Migration/ZqGoogleAppIdentifier.h"
#include "Migration/ZqGoogleAppState.h"

// One window's tabs as the previous version left them.
class ZqWorkspaceState : public ZqManagedObject {
 public:
  using ZqManagedObject::ZqManagedObject;

  std::optional<double> lastUpdatedAt() const;  // seconds since 2001-01-01 UTC
  void setLastUpdatedAt(double sinceReferenceDate);
  const zq_graph::Value* active() const { return value("active"); }
  void setActive(bool active) { object_->setValue("active", zq_graph::Value::boolean(active)); }
  // In tab order.
  std::vector<ZqGoogleAppState> appStates() const;
  // A new tab at the end.
  ZqGoogleAppState addAppStateWithIdentifier(const ZqGoogleAppIdentifier& identifier);
};
