// SPDX-License-Identifier: MIT
#include "app/ShellCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "app/Language.h"

int ShellErrorNumber(int code) {
  switch (code) {
    case 2:
      return 10161;
    case 3:
      return 10162;
    case 5:
      return 10163;
    case 8:
      return 10164;
    case 32:
      return 10165;
    case 26:
      return 10166;
    case 27:
      return 10167;
    case 28:
      return 10168;
    case 29:
      return 10169;
    case 30:
      return 10170;
    case 31:
      return 10171;
    case 11:
      return 10172;
    default:
      return 10173;
  }
}

std::string ShellErrorText(int code) {
  switch (ShellErrorNumber(code)) {
    case 10161:
      return LangText(10161);
    case 10162:
      return LangText(10162);
    case 10163:
      return LangText(10163);
    case 10164:
      return LangText(10164);
    case 10165:
      return LangText(10165);
    case 10166:
      return LangText(10166);
    case 10167:
      return LangText(10167);
    case 10168:
      return LangText(10168);
    case 10169:
      return LangText(10169);
    case 10170:
      return LangText(10170);
    case 10171:
      return LangText(10171);
    case 10172:
      return LangText(10172);
    default:
      return LangText(10173);
  }
}

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

// Every "%1" replaced by `first` and every "%2" by `second`, left to right, not rescanned.
std::string Substitute(std::string_view text, std::string_view first, std::string_view second) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
      out += text[i + 1] == '1' ? first : second;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Splits at blanks outside double quotes; the quotes are removed.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> args;
  std::string cur;
  bool inQuote = false, have = false;
  for (char c : text) {
    if (c == '"') {
      inQuote = !inQuote;
      have = true;
    } else if (!inQuote && static_cast<unsigned char>(c) <= 32) {
      if (have) args.push_back(std::move(cur));
      cur.clear();
      have = false;
    } else {
      cur += c;
      have = true;
    }
  }
  if (have) args.push_back(std::move(cur));
  return args;
}

}  // namespace

TShellCommand SplitShellTemplate(std::string_view templ, std::string_view first,
                                 std::string_view second) {
  TShellCommand cmd;
  std::string_view t = Trim(templ);
  std::string_view params;
  if (!t.empty() && t.front() == '"') {
    size_t close = t.find('"', 1);
    if (close == std::string_view::npos) {
      cmd.Program = std::string(t.substr(1));
    } else {
      cmd.Program = std::string(t.substr(1, close - 1));
      params = Trim(t.substr(close + 1));
    }
  } else {
    size_t space = t.find(' ');
    if (space == std::string_view::npos) {
      cmd.Program = std::string(t);
    } else {
      cmd.Program = std::string(t.substr(0, space));
      params = Trim(t.substr(space + 1));
    }
  }
  std::string p(params);
  if (p.find("%1") == std::string::npos && p.find("%2") == std::string::npos)
    p += p.empty() ? "\"%1\"" : " \"%1\"";
  cmd.Parameters = Substitute(p, first, second);
  for (const std::string& arg : SplitArguments(p))
    cmd.Arguments.push_back(Substitute(arg, first, second));
  return cmd;
}

std::string FindOnSearchPath(const std::string& program,
                             const std::function<bool(const std::string&)>& isExecutable,
                             const char* searchPath) {
  auto runnable = [&](const std::string& path) {
    if (isExecutable) return isExecutable(path);
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
  };
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return runnable(program) ? program : std::string();
  const char* pathVar = searchPath ? searchPath : std::getenv("PATH");
  std::string_view dirs = pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    size_t colon = dirs.find(':');
    std::string_view dir = dirs.substr(0, colon);
    std::string candidate = dir.empty() ? "./" + program : std::string(dir) + "/" + program;
    if (runnable(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return {};
}

bool PrepareAlternativeShell(std::string_view templ, std::string_view first,
                             std::string_view second, TShellCommand& cmd, std::string& error,
                             const std::function<bool(const std::string&)>& isExecutable,
                             const char* searchPath) {
  cmd = SplitShellTemplate(templ, first, second);
  std::string found = FindOnSearchPath(cmd.Program, isExecutable, searchPath);
  if (found.empty()) {
    error = LangFormat(10174, cmd.Program);
    return false;
  }
  cmd.Program = found;
  error.clear();
  return true;
}
