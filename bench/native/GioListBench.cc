// The floor of the applications benchmark: GIO's own listing of a scheme's handlers (ids
// only), with no entries, names or JSON. Prints the median milliseconds of `runs` listings
// after one warm-up. Usage: velquarin_gio_list_bench <scheme> <runs>
#include <gio/gio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string type = std::string("x-scheme-handler/") + argv[1];
  const int runs = std::max(1, std::atoi(argv[2]));
  std::size_t count = 0;
  auto list = [&] {
    GList* all = g_app_info_get_all_for_type(type.c_str());
    count = 0;
    for (GList* item = all; item; item = item->next) {
      if (g_app_info_get_id(G_APP_INFO(item->data))) ++count;
    }
    g_list_free_full(all, g_object_unref);
  };
  list();
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    list();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  std::printf("%zu %.4f\n", count, times[times.size() / 2]);
  return 0;
}
