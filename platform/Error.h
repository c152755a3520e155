// SPDX-License-Identifier: MIT
// TError: the result of an operation that either succeeds or fails with a text for the user
// ("No such file or directory"). Functions that return a value return it; functions that only
// succeed or fail return a TError, so the two cannot be mixed up and a failure cannot be ignored
// silently.
#pragma once

#include <string>
#include <utility>

class [[nodiscard]] TError {
 public:
  // Success.
  TError() = default;

  // A failure with `text`. An empty text is no failure: the result is success.
  static TError Failure(std::string text) {
    TError e;
    e.text_ = std::move(text);
    return e;
  }

  bool Failed() const { return !text_.empty(); }
  bool Ok() const { return text_.empty(); }

  // The text of the failure as it was given; empty on success.
  const std::string& Message() const { return text_; }

 private:
  std::string text_;
};
