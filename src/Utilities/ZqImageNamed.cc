#include "Utilities/ZqImageNamed.h"

#include <map>

#include "bundle/Bundle.h"

using velquarin::platform::Bundle;
using velquarin::platform::Image;

std::shared_ptr<Image> ZqImageNamed(const std::string& name) {
  static std::map<std::string, std::shared_ptr<Image>> loaded;  // by path; main thread
  const auto bundle = Bundle::main();
  const auto path = bundle ? bundle->pathForResource(name, "png") : std::nullopt;
  if (!path) return nullptr;
  auto& image = loaded[*path];
  if (!image) image = Image::fromFile(*path);
  return image;
}
