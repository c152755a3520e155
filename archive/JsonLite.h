// SPDX-License-Identifier: MIT
// A small JSON reader for the output of external listing tools (lsar -j). It builds a tree of
// values; nesting is limited so that hostile input cannot exhaust the stack. Thread-safe.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

struct TJsonValue {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  bool boolean = false;
  double number = 0.0;
  std::string text;
  std::vector<TJsonValue> items;             // Array
  std::map<std::string, TJsonValue> fields;  // Object

  // The field `key` of an object, or nullptr.
  const TJsonValue* Field(const std::string& key) const;
  // Numbers and booleans as a number; 0 otherwise.
  double AsNumber() const;
};

// Parses `text`; fails with the reason.
TError ParseJson(std::string_view text, TJsonValue& out);
