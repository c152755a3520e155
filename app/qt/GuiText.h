// SPDX-License-Identifier: MIT
// Text at the GUI boundary. Catalog strings are the bytes that were stored: Tolvane writes UTF-8,
// catalogs made on Windows hold a single-byte code page. QStr shows valid UTF-8 as it is and
// decodes anything else from the legacy code page (default Windows-1252). Language texts are
// UTF-8.
//
// Threads: GUI thread (the legacy code page is a process-wide setting).
#pragma once

#include <QString>
#include <string>
#include <string_view>

// The stored bytes as a QString.
QString QStr(std::string_view bytes);
// A QString as UTF-8 bytes, as Tolvane stores them.
std::string StdStr(const QString& text);
// The code page that bytes which are not UTF-8 are decoded from (an iconv name).
void SetLegacyCodePage(std::string_view codepage);

// The numbered text as a QString (LangText), and formatted with one argument (LangFormat).
QString LangQ(int number);
QString LangFormatQ(int number, std::string_view arg);
// A numbered caption without its accelerator marker and trailing "...", for hints and titles.
QString PlainCaption(const QString& caption);
