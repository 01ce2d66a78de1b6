#include "loginitems/LoginItems.h"

#include <fcntl.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using velquarin::platform::LoginItem;
using velquarin::platform::LoginItemEntry;
using velquarin::platform::LoginItems;
namespace fs = std::filesystem;

namespace {

class LoginItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "login-items-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    folder_ = root_ / "autostart";
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path bundle(const std::string& name) const {
    fs::create_directories(root_ / name);
    return fs::canonical(root_ / name);
  }
  void writeEntry(const std::string& file, const std::string& text, long ageSeconds) const {
    fs::create_directories(folder_);
    std::ofstream(folder_ / file) << text;
    // Older files come later in the list.
    timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - ageSeconds, 0}};
    ::utimensat(AT_FDCWD, (folder_ / file).c_str(), times, 0);
  }
  std::string fileText(const std::string& path) const {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path root_;
  fs::path folder_;
};

struct KeyFile {
  GKeyFile* file = g_key_file_new();
  ~KeyFile() { g_key_file_unref(file); }
  std::string get(const char* key) const {
    char* value = g_key_file_get_string(file, "Desktop Entry", key, nullptr);
    std::string result = value ? value : "<missing>";
    g_free(value);
    return result;
  }
};

}  // namespace

TEST(LoginItemsExec, ArgumentsAreQuotedAsDesktopEntriesRequire) {
  EXPECT_EQ(LoginItems::quoteExecArgument("/usr/bin/app"), "\"/usr/bin/app\"");
  EXPECT_EQ(LoginItems::quoteExecArgument("/opt/My App/run"), "\"/opt/My App/run\"");
  EXPECT_EQ(LoginItems::quoteExecArgument("a\"b`c$d\\e"), "\"a\\\"b\\`c\\$d\\\\e\"");
  EXPECT_EQ(LoginItems::quoteExecArgument("100%"), "\"100%%\"");
}

// Insertion first in the list, the bundle it names and removal: defaults.test.js.
TEST_F(LoginItemsTest, HostileBundlePathsCannotAddKeysOrBreakTheCommand) {
  // A bundle folder whose name carries a line break, a fake key, quotes and a dollar sign.
  const auto app = bundle("My \"App\"\nExec=rm -rf ~\n[Desktop Entry]\n $HOME\\x.bundle");
  const std::string program = "/opt/odd path/with \"quotes\" and\nnewline/$bin";
  LoginItems list(folder_.string());
  ASSERT_EQ(list.insertFirst({app.string(), " Velquarin\n;Name=Evil", {program}, "id"}), "");
  const std::string file = (folder_ / "id.desktop").string();
  const std::string text = fileText(file);

  KeyFile keys;
  ASSERT_TRUE(
      g_key_file_load_from_data(keys.file, text.data(), text.size(), G_KEY_FILE_NONE, nullptr));
  gsize count = 0;
  gchar** names = g_key_file_get_keys(keys.file, "Desktop Entry", &count, nullptr);
  g_strfreev(names);
  EXPECT_EQ(count, 5u) << text;
  gsize groups = 0;
  g_strfreev(g_key_file_get_groups(keys.file, &groups));
  EXPECT_EQ(groups, 1u);
  EXPECT_EQ(keys.get("Name"), " Velquarin\n;Name=Evil");
  EXPECT_EQ(keys.get("X-Velquarin-Bundle"), app.string());

  // The command line splits back into exactly the one program.
  gint argc = 0;
  gchar** argv = nullptr;
  ASSERT_TRUE(g_shell_parse_argv(keys.get("Exec").c_str(), &argc, &argv, nullptr));
  ASSERT_EQ(argc, 1);
  EXPECT_EQ(std::string(argv[0]), program);
  g_strfreev(argv);

  ASSERT_EQ(list.snapshot().size(), 1u);
  EXPECT_EQ(list.snapshot()[0].location, app.string());
}

TEST_F(LoginItemsTest, AnExistingFileIsNeverReplaced) {
  const auto app = bundle("A.bundle");
  writeEntry("id.desktop", "[Desktop Entry]\nName=Someone else's\n", 10);
  LoginItems list(folder_.string());
  ASSERT_EQ(list.insertFirst({app.string(), "Mine", {"/bin/true"}, "id"}), "");
  EXPECT_EQ(fileText((folder_ / "id.desktop").string()), "[Desktop Entry]\nName=Someone else's\n");
  EXPECT_TRUE(fs::exists(folder_ / "id-2.desktop"));
  // Odd stems become safe file names.
  ASSERT_EQ(list.insertFirst({app.string(), "Mine", {"/bin/true"}, "../../etc/x"}), "");
  EXPECT_TRUE(fs::exists(folder_ / "_.._etc_x.desktop"));
}

TEST_F(LoginItemsTest, OnlyDesktopEntriesOfTheFolderAreItems) {
  writeEntry("good.desktop", "[Desktop Entry]\nName=Good\n", 5);
  writeEntry("notes.txt", "[Desktop Entry]\nName=Text\n", 5);
  writeEntry(".hidden.desktop", "[Desktop Entry]\nName=Hidden\n", 5);
  writeEntry("garbage.desktop", "\x01\x02 not a key file ===", 5);
  writeEntry("other-group.desktop", "[Something]\nName=Else\n", 5);
  writeEntry("huge.desktop", "[Desktop Entry]\nName=Huge\n" + std::string(100000, '#'), 5);
  LoginItems list(folder_.string());
  const auto items = list.snapshot();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].displayName, "Good");

  // Removal goes through items of this folder only.
  std::ofstream(root_ / "precious.desktop") << "x";
  EXPECT_NE(list.remove(LoginItem{(root_ / "precious.desktop").string(), {}, {}}), "");
  EXPECT_NE(list.remove(LoginItem{(folder_ / "notes.txt").string(), {}, {}}), "");
  EXPECT_TRUE(fs::exists(root_ / "precious.desktop"));
  EXPECT_TRUE(fs::exists(folder_ / "notes.txt"));
}

TEST_F(LoginItemsTest, TextThatIsNotUtf8IsRefusedAndNothingIsWritten) {
  LoginItems list(folder_.string());
  EXPECT_NE(list.insertFirst({"/bundle/\xff\xfe", "Name", {"/bin/true"}, "id"}), "");
  EXPECT_NE(list.insertFirst({"/bundle", "Name", {}, "id"}), "");
  EXPECT_FALSE(fs::exists(folder_ / "id.desktop"));
}
