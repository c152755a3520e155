// SPDX-License-Identifier: MIT
// The floor of a describing scan: what any program must do to catalogue a tree with the default
// description rules and archive masks, and nothing more. One thread lists every folder
// (getdents64), takes the status of every entry (statx: type, size, times), and opens and reads
// the first 4 KiB of every file a default description rule or archive mask names; it builds no
// catalog and lists no archive. bench/compare.py times `tolvane-cli add` against it.
//
//   floor_walk DIR      prints "folders N files N read N bytes N"
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The extensions of the default description rules and archive masks, and the whole names of the
// description files, upper case.
const char* const kExtensions[] = {
    "HTM", "HTML", "MP3", "EXE", "DLL", "CPL", "VBX",  "OCX", "VXD", "SYS", "DRV", "SCR",
    "ACM", "TXT",  "NFO", "BMP", "JPG", "JPEG", "JPE", "JFIF", "GIF", "PNG", "PCX", "TIFF",
    "TIF", "ZIP",  "RAR", "CAB", "ACE", "ARJ",  "LHA", "ARC", "LZH", "HA",  "GZ",  "TGZ",
    "JAR", "PAK",  "TAR", "ZOO"};
const char* const kNames[] = {"FILE_ID.DIZ", "FILES.BBS", "DESCRIPT.ION"};

bool SameUpper(const char* a, const char* upper) {
  for (; *a && *upper; ++a, ++upper) {
    char c = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
    if (c != *upper) return false;
  }
  return *a == 0 && *upper == 0;
}

bool Described(const char* name) {
  for (const char* n : kNames)
    if (SameUpper(name, n)) return true;
  const char* dot = std::strrchr(name, '.');
  if (!dot) return false;
  for (const char* e : kExtensions)
    if (SameUpper(dot + 1, e)) return true;
  return false;
}

struct TCounts {
  long long folders = 0, files = 0, read = 0, bytes = 0;
};

void Walk(int dirfd, TCounts& c, std::vector<char>& buf) {
  ++c.folders;
  std::vector<std::string> subfolders;
  for (;;) {
    const long n = ::getdents64(dirfd, buf.data(), buf.size());
    if (n <= 0) break;
    for (long at = 0; at < n;) {
      const auto* de = reinterpret_cast<const struct dirent64*>(buf.data() + at);
      at += de->d_reclen;
      const char* name = de->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      struct statx st;
      if (::statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                  STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &st) != 0)
        continue;
      if (S_ISDIR(st.stx_mode)) {
        subfolders.emplace_back(name);
        continue;
      }
      ++c.files;
      if (!S_ISREG(st.stx_mode) || !Described(name)) continue;
      const int fd = ::openat(dirfd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
      if (fd < 0) continue;
      char head[4096];
      const ssize_t got = ::pread(fd, head, sizeof head, 0);
      ::close(fd);
      ++c.read;
      if (got > 0) c.bytes += got;
    }
  }
  for (const std::string& sub : subfolders) {
    const int fd = ::openat(dirfd, sub.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    Walk(fd, c, buf);
    ::close(fd);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: floor_walk DIR\n");
    return 2;
  }
  const int fd = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  TCounts c;
  std::vector<char> buf(32 * 1024);
  Walk(fd, c, buf);
  ::close(fd);
  std::printf("folders %lld files %lld read %lld bytes %lld\n", c.folders, c.files, c.read,
              c.bytes);
  return 0;
}
