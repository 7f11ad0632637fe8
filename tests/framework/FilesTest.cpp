#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "framework/Testing.h"
#include "framework/app/Application.h"
#include "framework/files/FolderItem.h"
#include "framework/files/TextStreams.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using fw::FolderItem;
using fw::New;
using fw::Ref;
using fw::String;
using testsupport::ReadFile;
using testsupport::TempDir;

Ref<FolderItem> Item(const fs::path& p) { return New<FolderItem>(p.string()); }

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Entries of a folder: what an atomic save may leave behind.
std::vector<String> Entries(const fs::path& folder) {
  std::vector<String> names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FolderItem, ChildParentNameAndExistence) {
  TempDir dir;
  dir.Write("Payload/Vanto.app/a.txt", "x");
  const auto root = Item(dir.path());
  const auto app = root->Child("Payload")->Child("Vanto.app");
  EXPECT_TRUE(app->Exists());
  EXPECT_TRUE(app->Directory());
  EXPECT_EQ(app->Name(), "Vanto.app");
  EXPECT_EQ(app->NativePath(), (dir.path() / "Payload" / "Vanto.app").string());
  EXPECT_EQ(app->Parent()->Parent()->NativePath(), dir.str());

  const auto file = app->Child("a.txt");
  EXPECT_TRUE(file->Exists());
  EXPECT_FALSE(file->Directory());
  const auto missing = app->Child("b.txt");
  EXPECT_FALSE(missing->Exists());  // a missing child is an item all the same
  EXPECT_EQ(missing->Name(), "b.txt");
  EXPECT_EQ(missing->Child("deeper")->Parent()->NativePath(), missing->NativePath());

  // A trailing slash names the same item.
  const auto slashed = Item(dir.str() + "/Payload/");
  EXPECT_EQ(slashed->Name(), "Payload");
  EXPECT_EQ(slashed->Parent()->NativePath(), dir.str());
  EXPECT_EQ(Item("/")->Parent()->NativePath(), "");
}

TEST(FolderItem, ChildNamesThatLeaveTheFolderNameNothing) {
  TempDir dir;
  dir.Write("sub/secret", "s");
  dir.Write("top", "t");
  const auto sub = Item(dir.path() / "sub");
  for (const String& name : {String(""), String("."), String(".."), String("../top"), String("a/b"),
                             String("/etc"), String("secret\0x", 8)}) {
    const auto child = sub->Child(name);
    EXPECT_EQ(child->NativePath(), "") << name;
    EXPECT_FALSE(child->Exists());
    EXPECT_FALSE(child->Directory());
    EXPECT_EQ(child->Name(), "");
    EXPECT_TRUE(child->OpenAsTextFile().IsNil());
    EXPECT_EQ(child->Child("top")->NativePath(), "");
    EXPECT_EQ(child->Parent()->NativePath(), "");
  }
  // Names that merely look odd are ordinary children.
  EXPECT_TRUE(sub->Child("secret")->Exists());
  EXPECT_EQ(sub->Child("..secret")->Name(), "..secret");
  EXPECT_EQ(sub->Child("\xE3\x83\x95 .mp3")->Name(), "\xE3\x83\x95 .mp3");
}

TEST(FolderItem, SymbolicLinksAreFollowed) {
  TempDir dir;
  dir.Write("real.txt", "via link\n");
  fs::create_symlink(dir.path() / "real.txt", dir.path() / "good");
  fs::create_symlink(dir.path() / "gone.txt", dir.path() / "broken");
  EXPECT_TRUE(Item(dir.path() / "good")->Exists());
  EXPECT_EQ(Item(dir.path() / "good")->OpenAsTextFile()->ReadLine(), "via link");
  EXPECT_FALSE(Item(dir.path() / "broken")->Exists());
  EXPECT_TRUE(Item(dir.path() / "broken")->OpenAsTextFile().IsNil());
}

TEST(FolderItem, OpenAsTextFileGivesNilForWhatCannotBeRead) {
  TempDir dir;
  EXPECT_EQ(Item(dir.Write("t.txt", String("a\0b", 3)))->OpenAsTextFile()->ReadAll(),
            String("a\0b", 3));
  EXPECT_EQ(Item(dir.Write("empty", ""))->OpenAsTextFile()->ReadAll(), "");
  EXPECT_TRUE(Item(dir.path() / "missing")->OpenAsTextFile().IsNil());
  EXPECT_TRUE(Item(dir.path())->OpenAsTextFile().IsNil());

  // At the cap it opens; one byte more and it does not (sparse files, nothing written).
  const auto atCap = dir.Write("cap", "");
  fs::resize_file(atCap, 64LL * 1024 * 1024);
  const auto stream = Item(atCap)->OpenAsTextFile();
  ASSERT_FALSE(stream.IsNil());
  EXPECT_EQ(stream->ReadAll().size(), 64u * 1024 * 1024);
  const auto overCap = dir.Write("over", "");
  fs::resize_file(overCap, 64LL * 1024 * 1024 + 1);
  EXPECT_TRUE(Item(overCap)->OpenAsTextFile().IsNil());

  if (geteuid() != 0) {  // root reads anything
    const auto locked = dir.Write("locked", "x");
    fs::permissions(locked, fs::perms::none);
    EXPECT_TRUE(Item(locked)->OpenAsTextFile().IsNil());
  }
}

TEST(FolderItem, RelativeNamesResolveAgainstTheApplicationFolder) {
  // By default: two levels above the running executable.
  const fs::path exe = fs::read_symlink("/proc/self/exe");
  const fs::path appFolder = exe.parent_path().parent_path();
  EXPECT_EQ(fw::GetFolderItem("vanto-rimal", 0)->NativePath(),
            (appFolder / "vanto-rimal").string());
  EXPECT_EQ(fw::GetFolderItem("", 0)->NativePath(), appFolder.string());

  auto app = New<fw::Application>();
  EXPECT_EQ(app->ExecutableFile()->NativePath(), exe.string());
  EXPECT_TRUE(app->ExecutableFile()->Exists());
  EXPECT_EQ(app->ExecutableFile()->Parent()->Parent()->NativePath(), appFolder.string());

  // Moving the executable moves the folder with it: a relative name and a climb from the
  // executable still meet.
  TempDir dir;
  fw::SetExecutableFileForTesting((dir.path() / "bin" / "vv").string());
  dir.Write("vanto-rimal/Payload/x", "");
  const auto item = fw::GetFolderItem("vanto-rimal", 0);
  const auto climbed = app->ExecutableFile()->Parent()->Parent()->Child("vanto-rimal");
  fw::SetExecutableFileForTesting("");
  EXPECT_EQ(item->NativePath(), (dir.path() / "vanto-rimal").string());
  EXPECT_EQ(climbed->NativePath(), item->NativePath());
  EXPECT_TRUE(item->Child("Payload")->Directory());
  EXPECT_EQ(fw::GetFolderItem("/etc/hostname", 0)->NativePath(), "/etc/hostname");
  EXPECT_EQ(fw::GetFolderItem("vanto-rimal", 0)->NativePath(),
            (appFolder / "vanto-rimal").string());  // the stand-in is gone
  EXPECT_EQ(app->ExecutableFile()->NativePath(), exe.string());
}

TEST(FolderItem, PreferencesFolderFollowsXdgThenHome) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/srv/conf");
    EXPECT_EQ(fw::SpecialFolder::Preferences()->NativePath(), "/srv/conf");
  }
  ScopedEnv home("HOME", "/home/someone");
  for (const char* ignored : {"relative/conf", "", static_cast<const char*>(nullptr)}) {
    ScopedEnv xdg("XDG_CONFIG_HOME", ignored);  // unset, empty or not absolute
    EXPECT_EQ(fw::SpecialFolder::Preferences()->NativePath(), "/home/someone/.config");
  }
}

TEST(TextStream, ReadLineAcceptsEveryLineEnd) {
  fw::TextInputStream in("lf\ncrlf\r\ncr\r\rlast");
  EXPECT_EQ(in.ReadLine(), "lf");
  EXPECT_EQ(in.ReadLine(), "crlf");
  EXPECT_EQ(in.ReadLine(), "cr");
  EXPECT_EQ(in.ReadLine(), "");  // the empty line between two CRs
  EXPECT_FALSE(in.EndOfFile());
  EXPECT_EQ(in.ReadLine(), "last");
  EXPECT_TRUE(in.EndOfFile());
  EXPECT_EQ(in.ReadLine(), "");
  EXPECT_EQ(in.ReadAll(), "");

  // LF CR is two line ends, not one; a final line end adds no empty line.
  fw::TextInputStream two("a\n\rb\r\n");
  EXPECT_EQ(two.ReadLine(), "a");
  EXPECT_EQ(two.ReadLine(), "");
  EXPECT_EQ(two.ReadLine(), "b");
  EXPECT_TRUE(two.EndOfFile());

  fw::TextInputStream rest(String("head\r\nbody\0tail", 15));
  EXPECT_EQ(rest.ReadLine(), "head");
  EXPECT_EQ(rest.ReadAll(), String("body\0tail", 9));
  EXPECT_TRUE(rest.EndOfFile());
}

TEST(TextStream, WrittenLinesReadBack) {
  TempDir dir;
  const auto file = Item(dir.path() / "new" / "prefs.txt");  // the folder does not exist yet
  auto out = fw::TextOutputStream::Create(file);
  for (const String& line : {String("alarm=07:30"), String(""), String("\xE3\x83\x95=1,0,1")})
    out->WriteLine(line);
  out->Close();
  out->Close();  // harmless
  EXPECT_THROW(out->WriteLine("late"), fw::IOException);
  EXPECT_EQ(ReadFile(file->NativePath()), "alarm=07:30\n\n\xE3\x83\x95=1,0,1\n");
  EXPECT_EQ(Entries(dir.path() / "new"), std::vector<String>{"prefs.txt"});

  const auto in = file->OpenAsTextFile();
  EXPECT_EQ(in->ReadLine(), "alarm=07:30");
  EXPECT_EQ(in->ReadLine(), "");
  EXPECT_EQ(in->ReadLine(), "\xE3\x83\x95=1,0,1");
  EXPECT_TRUE(in->EndOfFile());

  // Writing again replaces the whole file.
  auto again = fw::TextOutputStream::Create(file);
  again->WriteLine("short");
  again->Close();
  EXPECT_EQ(ReadFile(file->NativePath()), "short\n");
}

TEST(TextStream, AnUnclosedStreamLeavesTheOldFile) {
  TempDir dir;
  const auto path = dir.Write("prefs.txt", "old\n");
  {
    auto out = fw::TextOutputStream::Create(Item(path));
    out->WriteLine("new");
    EXPECT_EQ(ReadFile(path), "old\n");  // nothing reaches the target before Close
  }
  EXPECT_EQ(ReadFile(path), "old\n");
  EXPECT_EQ(Entries(dir.path()), std::vector<String>{"prefs.txt"});  // no temporary left
}

TEST(TextStream, FailuresRaiseIOExceptionAndKeepTheOldFile) {
  EXPECT_THROW(fw::TextOutputStream::Create(nullptr), fw::NilObjectException);
  TempDir dir;
  EXPECT_THROW(fw::TextOutputStream::Create(Item(dir.path())->Child("..")), fw::IOException);

  // The parent "folder" is a file: it cannot be created.
  const auto blocker = dir.Write("blocker", "keep");
  try {
    fw::TextOutputStream::Create(Item(blocker / "prefs.txt"));
    ADD_FAILURE() << "created a file below a file";
  } catch (const fw::IOException& e) {
    EXPECT_NE(String(e.what()).find("blocker"), String::npos) << e.what();
    EXPECT_NE(e.ErrorNumber(), 0);
  }
  EXPECT_EQ(ReadFile(blocker), "keep");

  // The target is a folder: the final replacement fails, the folder stays as it was.
  dir.Write("target/inside", "i");
  bool raised = false;
  try {
    auto out = fw::TextOutputStream::Create(Item(dir.path() / "target"));
    out->WriteLine("x");
    out->Close();
  } catch (const fw::IOException& e) {
    raised = true;
    EXPECT_NE(String(e.what()).find("target"), String::npos) << e.what();
  }
  EXPECT_TRUE(raised);
  EXPECT_EQ(ReadFile(dir.path() / "target" / "inside"), "i");

  // The target turns into a folder while the stream is open: Close cannot replace it.
  const auto late = dir.Write("late", "old");
  auto out = fw::TextOutputStream::Create(Item(late));
  out->WriteLine("new");
  fs::remove(late);
  dir.Write("late/inside", "i");
  try {
    out->Close();
    ADD_FAILURE() << "replaced a folder by a file";
  } catch (const fw::IOException& e) {
    EXPECT_NE(String(e.what()).find("late"), String::npos) << e.what();
    EXPECT_NE(e.ErrorNumber(), 0);
  }
  EXPECT_NO_THROW(out->Close());  // once failed, closed all the same
  out.reset();
  EXPECT_EQ(ReadFile(dir.path() / "late" / "inside"), "i");
  EXPECT_EQ(Entries(dir.path()), (std::vector<String>{"blocker", "late", "target"}));
}

void Save(const Ref<FolderItem>& file, const String& line) {
  auto out = fw::TextOutputStream::Create(file);
  out->WriteLine(line);
  out->Close();
}

TEST(TextStream, LinksToFilesAreFollowedAndOnlyRegularFilesReplaced) {
  TempDir dir;
  const auto kept = dir.Write("dotfiles/prefs", "old\n");
  fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(kept, dir.path() / "linked");
  fs::create_symlink("dotfiles/fresh", dir.path() / "dangling");  // relative, its file not made yet
  const fs::path fifo = dir.path() / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, dir.path() / "to-fifo");

  for (const char* name : {"linked", "dangling"}) {
    Save(Item(dir.path() / name), name);
    EXPECT_TRUE(fs::is_symlink(dir.path() / name)) << name;
    EXPECT_EQ(ReadFile(dir.path() / name), String(name) + "\n");
  }
  EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  // A FIFO stands for every node that is not a regular file: a device, a socket.
  for (const char* name : {"fifo", "to-fifo"})
    EXPECT_THROW(Save(Item(dir.path() / name), "x"), fw::IOException) << name;
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "to-fifo"));
  EXPECT_EQ(Entries(dir.path()),
            (std::vector<String>{"dangling", "dotfiles", "fifo", "linked", "to-fifo"}));
  EXPECT_EQ(Entries(dir.path() / "dotfiles"), (std::vector<String>{"fresh", "prefs"}));
}

TEST(TextStream, FolderNamesNeedNotBeUtf8) {
  TempDir dir;
  const fs::path folder = dir.path() / "conf\xFF\xFE";
  const auto file = Item(folder / "prefs");
  Save(file, "x");
  EXPECT_EQ(ReadFile(folder / "prefs"), "x\n");
  EXPECT_EQ(file->OpenAsTextFile()->ReadLine(), "x");
  EXPECT_EQ(Entries(dir.path()), std::vector<String>{"conf\xFF\xFE"});
}

TEST(TextStream, ReadOnlyFolderRaisesIOException) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempDir dir;
  const auto path = dir.Write("ro/prefs.txt", "old\n");
  fs::permissions(dir.path() / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  try {
    auto out = fw::TextOutputStream::Create(Item(path));
    out->WriteLine("new");
    out->Close();
    ADD_FAILURE() << "wrote into a read-only folder";
  } catch (const fw::IOException& e) {
    EXPECT_NE(String(e.what()).find("prefs.txt"), String::npos) << e.what();
    EXPECT_NE(e.ErrorNumber(), 0);
  }
  EXPECT_EQ(ReadFile(path), "old\n");
}

}  // namespace
