// SPDX-License-Identifier: MIT
// The report sources and their column tables.
#include "report/ReportTables.h"

#include "app/Language.h"
#include "catalog/CatalogLayout.h"

int ReportMarkList(TReportSource source) {
  switch (source) {
    case TReportSource::MainWindow:
      return mlView;
    case TReportSource::SearchResults:
      return mlFound;
    case TReportSource::UserList:
      return mlUserList;
  }
  return mlView;
}

TReportTable ReportTableOf(TReportSource source, bool diskLayout) {
  switch (source) {
    case TReportSource::MainWindow:
      return diskLayout ? TReportTable::DiskView : TReportTable::FileView;
    case TReportSource::SearchResults:
      return TReportTable::Found;
    case TReportSource::UserList:
      return TReportTable::UserList;
  }
  return TReportTable::Found;
}

int ReportColumnCount(TReportTable table) { return table == TReportTable::FileView ? 7 : 9; }

int ReportCaptionNumber(TReportTable table, int id) {
  if (id < 0 || id >= ReportColumnCount(table)) return 0;
  switch (table) {
    case TReportTable::DiskView: {
      static const int kDisk[] = {10101, 10102, 10103, 10104, 10106, 10107, 10108, 10115, 10116};
      return kDisk[id];
    }
    case TReportTable::FileView: {
      static const int kFile[] = {10109, 10110, 10104, 10111, 10112, 10108, 10115};
      return kFile[id];
    }
    case TReportTable::Found:
    case TReportTable::UserList: {
      static const int kFound[] = {10113, 10110, 10104, 10111, 10101, 10102, 10114, 10108, 10115};
      return kFound[id];
    }
  }
  return 0;
}

std::string ReportCaption(TReportTable table, int id) {
  // The numbers are spelled out at each lookup so that every text the reports use can be found.
  switch (ReportCaptionNumber(table, id)) {
    case 10101:
      return LangText(10101);
    case 10102:
      return LangText(10102);
    case 10103:
      return LangText(10103);
    case 10104:
      return LangText(10104);
    case 10106:
      return LangText(10106);
    case 10107:
      return LangText(10107);
    case 10108:
      return LangText(10108);
    case 10109:
      return LangText(10109);
    case 10110:
      return LangText(10110);
    case 10111:
      return LangText(10111);
    case 10112:
      return LangText(10112);
    case 10113:
      return LangText(10113);
    case 10114:
      return LangText(10114);
    case 10115:
      return LangText(10115);
    case 10116:
      return LangText(10116);
  }
  return {};
}
