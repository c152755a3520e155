// SPDX-License-Identifier: MIT
#include "scan/DescFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/TextCase.h"
#include "scan/DescClean.h"
#include "scan/DescRuleSet.h"
#include "scan/DescRules.h"

// ---- TFolderDescLists
// ----------------------------------------------------------------------------

void TFolderDescLists::Clear() {
  entries_.clear();
  index_.clear();
}

const TListEntry* TFolderDescLists::Find(std::string_view upperName) const {
  auto it = index_.find(std::string(upperName));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

bool TFolderDescLists::Accepts(std::string_view upperName, int32_t rank) const {
  const TListEntry* e = Find(upperName);
  return !e || e->Rank > rank;
}

void TFolderDescLists::Put(std::string upperName, std::string text, int32_t rank) {
  auto it = index_.find(upperName);
  if (it != index_.end()) {
    entries_[it->second].Text = std::move(text);
    entries_[it->second].Rank = rank;
    return;
  }
  index_.emplace(upperName, entries_.size());
  entries_.push_back({std::move(upperName), std::move(text), rank});
}

void TFolderDescLists::Rename(std::string_view oldName, std::string upperName) {
  auto self = index_.find(std::string(oldName));
  if (self == index_.end() || oldName == upperName) return;
  size_t index = self->second;
  auto other = index_.find(upperName);
  if (other == index_.end()) {
    index_.erase(entries_[index].Name);
    index_.emplace(upperName, index);
    entries_[index].Name = std::move(upperName);
    return;
  }
  TListEntry& kept = entries_[other->second];
  if (entries_[index].Rank < kept.Rank) {
    kept.Text = std::move(entries_[index].Text);
    kept.Rank = entries_[index].Rank;
  }
  // Remove entry `index`: the last entry takes its place.
  index_.erase(entries_[index].Name);
  if (index + 1 != entries_.size()) {
    entries_[index] = std::move(entries_.back());
    index_[entries_[index].Name] = index;
  }
  entries_.pop_back();
}

// ---- parsing
// -------------------------------------------------------------------------------------

namespace {

// Splits `data` into lines at CR LF, LF or CR; a final line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view data) {
  std::vector<std::string_view> lines;
  while (!data.empty()) {
    size_t end = data.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      lines.push_back(data);
      break;
    }
    lines.push_back(data.substr(0, end));
    size_t skip = (data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') ? 2 : 1;
    data.remove_prefix(end + skip);
  }
  return lines;
}

// The lines of a list file, converted from the OEM code page when asked.
std::vector<std::string> ListLines(std::string_view data, const TDescRuleSet& rules, bool oem) {
  std::vector<std::string> out;
  for (std::string_view line : SplitLines(data))
    out.push_back(oem && !line.empty() ? rules.Oem().Convert(line) : std::string(line));
  return out;
}

// Cleans `text` and stores it under `name` unless it is empty afterwards.
void PutCleaned(TFolderDescLists& lists, std::string name, std::string text,
                const TDescRuleSet& rules, int32_t rank) {
  CleanDescription(text, rules.Options());
  if (text.empty()) return;
  lists.Put(std::move(name), std::move(text), rank);
}

bool IsContinuationLine(std::string_view line) {
  return line.empty() || line[0] == ' ' || line[0] == '|' || line[0] == '>';
}

}  // namespace

void ParseDescriptIon(std::string_view data, const TDescRuleSet& rules, bool oem,
                      TFolderDescLists& lists, int32_t rank) {
  for (const std::string& line : ListLines(data, rules, oem)) {
    if (line.empty()) continue;
    std::string_view l(line);
    std::string_view name, text;
    if (l[0] == '"') {
      size_t e = l.find('"', 1);
      if (e == std::string_view::npos) continue;
      name = l.substr(1, e - 1);
      text = e + 2 <= l.size() ? l.substr(e + 2) : std::string_view();
    } else {
      size_t e = l.find(' ', 1);
      if (e == std::string_view::npos) continue;
      name = l.substr(0, e);
      text = l.substr(e + 1);
    }
    if (text.empty() || name.empty()) continue;
    std::string upper = Utf8Upper(name);
    if (!lists.Accepts(upper, rank)) continue;  // the first line for a name wins
    PutCleaned(lists, std::move(upper), std::string(text), rules, rank);
  }
}

void ParseFilesBbs(std::string_view data, const TDescRuleSet& rules, bool oem,
                   TFolderDescLists& lists, int32_t rank) {
  std::vector<std::string> lines = ListLines(data, rules, oem);
  size_t n = lines.size();
  size_t e = 0;
  while (e < n && IsContinuationLine(lines[e])) ++e;  // lines before the first entry
  while (e < n) {
    size_t next = e + 1;
    while (next < n && IsContinuationLine(lines[next])) ++next;
    std::string_view l(lines[e]);
    std::string_view name, rest;
    bool valid = true;
    if (l[0] == '"') {
      size_t q = l.find('"', 1);
      if (q == std::string_view::npos) {
        valid = false;
      } else {
        name = l.substr(1, q - 1);
        rest = l.substr(q + 1);
      }
    } else {
      size_t s = l.find(' ', 1);
      name = l.substr(0, s);
      rest = s == std::string_view::npos ? std::string_view() : l.substr(s + 1);
    }
    std::string upper;
    if (valid && !name.empty()) {
      upper = Utf8Upper(name);
      valid = lists.Accepts(upper, rank);
    } else {
      valid = false;
    }
    if (valid) {
      std::string text(TrimBlanks(rest));
      for (size_t c = e + 1; c < next; ++c) {
        if (!text.empty()) text += "\r\n";
        std::string_view cont = TrimBlanks(lines[c]);
        if (!cont.empty() && (cont[0] == '|' || cont[0] == '>')) cont = TrimBlanks(cont.substr(1));
        text.append(cont);
      }
      if (!text.empty()) PutCleaned(lists, std::move(upper), std::move(text), rules, rank);
    }
    e = next;
  }
}

// ---- reading
// -------------------------------------------------------------------------------------

TError ReadDescriptionFile(const std::string& path, size_t maxBytes, std::string& data) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return TError::Failure(std::strerror(errno));
  struct stat st;
  int err = 0;
  if (::fstat(fd, &st) != 0)
    err = errno;
  else if (S_ISDIR(st.st_mode))
    err = EISDIR;
  else if (!S_ISREG(st.st_mode))
    err = EINVAL;  // a device, pipe or socket
  if (err != 0) {
    ::close(fd);
    return TError::Failure(std::strerror(err));
  }
  size_t want = st.st_size > 0 ? std::min(static_cast<size_t>(st.st_size), maxBytes) : 0;
  std::string buf;
  buf.resize(want);
  size_t got = 0;
  while (got < want) {
    ssize_t r = ::read(fd, buf.data() + got, want - got);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      int err = errno;
      ::close(fd);
      return TError::Failure(std::strerror(err));
    }
    if (r == 0) break;  // the file shrank
    got += static_cast<size_t>(r);
  }
  ::close(fd);
  buf.resize(got);
  data = std::move(buf);
  return {};
}

void ReadDescriptionList(const std::string& path, int reader, const TDescRuleSet& rules,
                         TFolderDescLists& lists, int32_t rank) {
  if (reader != drBBS && reader != drION) return;
  try {
    std::string data;
    if (ReadDescriptionFile(path, kMaxListFileBytes, data).Failed()) return;
    ParseDescriptionList(data, reader, rules, lists, rank);
  } catch (const std::exception&) {
    // Out of memory on a huge list: the entries parsed so far stay; the scan goes on.
  }
}

void ParseDescriptionList(std::string_view data, int reader, const TDescRuleSet& rules,
                          TFolderDescLists& lists, int32_t rank) {
  try {
    if (reader == drBBS)
      ParseFilesBbs(data, rules, rules.OemToAnsi(drBBS), lists, rank);
    else if (reader == drION)
      ParseDescriptIon(data, rules, rules.OemToAnsi(drION), lists, rank);
  } catch (const std::exception&) {
    // Out of memory on a huge list: the entries parsed so far stay; the scan goes on.
  }
}
