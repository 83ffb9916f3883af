// A minimal image library: images are property pairs in a table, handles are
// never reused, so a double release or a stale query is always detectable.
#include "talb310.h"

#include <mutex>
#include <unordered_map>

namespace {

struct Image {
  uint16_t property25;
  uint16_t property26;
  bool live;
  uint32_t releases;
};

std::mutex g_mutex;
std::unordered_map<uint32_t, Image> g_images;
uint32_t g_nextHandle = 0x1000;
uint32_t g_live = 0;

constexpr uint32_t kUnknownImage = 0x7001;
constexpr uint32_t kUnknownProperty = 0x7002;

}  // namespace

extern "C" {

void TIZ_API TALB_ReleaseImage(uint32_t hImage) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_images.find(hImage);
  if (it == g_images.end()) return;
  if (it->second.live) --g_live;
  it->second.live = false;
  ++it->second.releases;
}

uint16_t TIZ_API TALB_GetImageProperty(uint32_t hImage, uint32_t code, uint32_t *pError) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_images.find(hImage);
  if (it == g_images.end() || !it->second.live) {
    if (pError) *pError = kUnknownImage;
    return 0;
  }
  if (code == 25) return it->second.property25;
  if (code == 26) return it->second.property26;
  if (pError) *pError = kUnknownProperty;
  return 0;
}

uint32_t TIZ_API TALB_CreateImage(uint16_t property25, uint16_t property26) {
  std::lock_guard<std::mutex> lock(g_mutex);
  uint32_t handle = g_nextHandle;
  g_nextHandle += 4;
  if (g_nextHandle == 0) g_nextHandle = 0x1000;
  g_images[handle] = Image{property25, property26, true, 0};
  ++g_live;
  return handle;
}

uint32_t TIZ_API TALB_ReleaseCount(uint32_t hImage) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_images.find(hImage);
  return it == g_images.end() ? 0 : it->second.releases;
}

uint32_t TIZ_API TALB_LiveImageCount(void) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_live;
}

}  // extern "C"
