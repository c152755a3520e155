// SPDX-License-Identifier: MIT
// The help: HTML pages in the "help/" folder of the data folder (app/ProgramFolder.h), shown in
// the desktop's web browser. Topics: "Overview.htm" (main window), "Search.htm", "UserList.htm",
// "CatSetup.htm" (categories and locations), "CatMan.htm" (catalog manager),
// "Report.htm" (the report dialog),
// and the options pages "GeneralOptions.htm", "FileListOptions.htm", "ArcOptions.htm",
// "DescOptions.htm", "InterOptions.htm", "Properties.htm"; "index.htm" lists them all.
//
// Threads: GUI thread.
#pragma once

#include <QString>

// The full path of a topic's page (it may not exist).
QString HelpTopicPath(const QString& topic);
// Opens the topic in the browser; a missing page or a browser that cannot be started is
// reported by the shell error message (Shell.h).
void ShowHelpTopic(const QString& topic);
