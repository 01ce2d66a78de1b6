#include "images/vips/ImagePixels.h"

#include <cstring>

namespace velquarin::platform {

using vips::VError;
using vips::VImage;

namespace {

struct Generator {
  GenerateRegion generate;
  const void* params;
};

void* startRegion(VipsImage*, void* in, void*) {
  return vips_region_new(static_cast<VipsImage*>(in));
}

int generateRegion(VipsRegion* out, void* in, void*, void* generator, gboolean*) {
  const auto* g = static_cast<const Generator*>(generator);
  return g->generate(out, static_cast<VipsRegion*>(in), g->params);
}

// Passes the pixels on unchanged and copies them into the memory image `params` points to.
int keepRegion(VipsRegion* out, VipsRegion* in, const void* params) {
  VipsImage* kept = *static_cast<VipsImage* const*>(params);
  const VipsRect& rect = out->valid;
  if (vips_region_prepare(in, &rect) != 0) return -1;
  const std::size_t line = VIPS_IMAGE_SIZEOF_PEL(out->im) * std::size_t(rect.width);
  for (int y = rect.top; y < VIPS_RECT_BOTTOM(&rect); ++y) {
    std::memcpy(VIPS_IMAGE_ADDR(kept, rect.left, y), VIPS_REGION_ADDR(in, rect.left, y), line);
  }
  return vips_region_region(out, in, &rect, rect.left, rect.top);
}

}  // namespace

VImage generatedImage(const VImage& in, int wide, int high, int bands, VipsBandFormat format,
                      VipsInterpretation interpretation, VipsDemandStyle hint,
                      GenerateRegion generate, const void* params, std::size_t paramsSize) {
  VipsImage* raw = vips_image_new();
  VImage out(raw);
  VipsImage* inputs[] = {in.get_image(), nullptr};
  if (vips_image_pipeline_array(raw, hint, inputs) != 0) throw VError();
  raw->Xsize = wide;
  raw->Ysize = high;
  raw->Bands = bands;
  raw->BandFmt = format;
  raw->Type = interpretation;
  raw->Coding = VIPS_CODING_NONE;
  // The input lives as long as the image made from it, and so do the parameters.
  g_object_ref(in.get_image());
  vips_object_local(raw, in.get_image());
  void* copy = nullptr;
  if (paramsSize > 0) {
    copy = vips_malloc(VIPS_OBJECT(raw), paramsSize);
    std::memcpy(copy, params, paramsSize);
  }
  auto* generator = static_cast<Generator*>(vips_malloc(VIPS_OBJECT(raw), sizeof(Generator)));
  *generator = Generator{generate, copy};
  if (vips_image_generate(raw, startRegion, generateRegion, vips_stop_one, in.get_image(),
                          generator) != 0) {
    throw VError();
  }
  return out;
}

VImage ImagePixels::image() const {
  std::lock_guard lock(mutex_);
  if (readOnce_) {
    image_ = image_.copy_memory();
    readOnce_ = false;
  }
  return image_;
}

VipsBlob* ImagePixels::streamTo(const std::function<VipsBlob*(const VImage&)>& write) const {
  std::lock_guard lock(mutex_);
  if (!readOnce_) return write(image_);
  VipsImage* raw = vips_image_new_memory();
  VImage kept(raw);
  vips_image_init_fields(raw, image_.width(), image_.height(), image_.bands(), image_.format(),
                         VIPS_CODING_NONE, image_.interpretation(), image_.xres(), image_.yres());
  if (vips_image_write_prepare(raw) != 0) throw VError();
  VipsImage* target = raw;
  const VImage tee = generatedImage(image_, image_.width(), image_.height(), image_.bands(),
                                    image_.format(), image_.interpretation(), VIPS_DEMAND_STYLE_ANY,
                                    keepRegion, &target, sizeof target);
  // Read or not, the file has been consumed: a failed write leaves pixels that fail to read.
  readOnce_ = false;
  VipsBlob* blob = write(tee);
  if (blob) image_ = kept;
  return blob;
}

}  // namespace velquarin::platform
