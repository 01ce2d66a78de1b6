#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "images/ImageTypes.h"

namespace velquarin::platform {

// A way to share files: "open-with:<application id>" opens them all in that application,
// "show-in-folder" shows them selected in the file manager.
struct SharingService {
  std::string id;
  std::string title;
};

class SharingServicePickerDelegate {
 public:
  virtual ~SharingServicePickerDelegate() = default;
  // The services to offer, from those proposed.
  virtual std::vector<SharingService> servicesForItems(const std::vector<std::string>& items,
                                                       std::vector<SharingService> proposed) = 0;
  // The user chose a service (nullopt: dismissed without one).
  virtual void didChooseService(const std::optional<SharingService>& service) = 0;
};

// The sharing picker shown beside a view, one at a time: a new one replaces the one open,
// and closing its window dismisses it. It keeps its delegate alive while shown. Main thread.
class SharingServicePicker {
 public:
  enum class Edge { MinX = 0, MinY = 1, MaxX = 2, MaxY = 3 };

  explicit SharingServicePicker(std::vector<std::string> items);

  std::shared_ptr<SharingServicePickerDelegate> delegate;

  // Shows the picker at `anchor` in the content view of the window; a window that is gone
  // shows nothing.
  static void show(const std::shared_ptr<SharingServicePicker>& picker, std::uint64_t windowHandle,
                   Rect anchor, Edge edge);

  // The picker shown, if any.
  static std::shared_ptr<SharingServicePicker> current();
  // Performs the service (an id of services()) or, with nullopt, dismisses the picker.
  // False when no picker is shown or the id is not offered.
  static bool choose(const std::optional<std::string>& serviceId, std::string* error = nullptr);

  // "Open with" for each application that opens every item's type (the first item's default
  // first), then "show in folder".
  static std::vector<SharingService> proposedServices(const std::vector<std::string>& items);

  const std::vector<std::string>& items() const { return items_; }
  const std::vector<SharingService>& services() const { return services_; }
  std::uint64_t windowHandle() const { return window_; }
  Rect anchor() const { return anchor_; }
  Edge edge() const { return edge_; }

 private:
  static bool perform(const SharingService& service, const std::vector<std::string>& items,
                      std::string* error);
  std::vector<std::string> items_;
  std::vector<SharingService> services_;
  std::uint64_t window_ = 0;
  Rect anchor_;
  Edge edge_ = Edge::MinY;
};

}  // namespace velquarin::platform
