#include "cli/fleet_values.h"

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>

#include "base/dtu_message.h"
#include <QDir>

#include "config/dtu_config.h"
#include "config/dtu_file_io.h"
#include "pages/kit/dtu_page.h"
#include "pages/kit/dtu_page_store.h"
#include "provision/provision_backup_file.h"
#include "provision/provision_pages.h"

const char kFleetImeiPlaceholder[] = "${IMEI}";

namespace {

std::string Lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string WithImei(std::string text, const std::string &imei) {
  const std::string placeholder = kFleetImeiPlaceholder;
  for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + imei.size())) {
    text.replace(at, placeholder.size(), imei);
  }
  return text;
}

// A page as the file fills it, the page's own messages kept from the
// terminal (a Read Local says "Read local config succeeded!").
std::unique_ptr<DtuPage> PageFromFile(const std::string &name) {
  std::unique_ptr<DtuPage> page = ProvisionCreatePage(name);
  if (!page) return page;
  DtuMessageSink previous = DtuSetMessageSink([](const std::string &) {});
  page->OnBnClickedBtReadLocal();
  DtuSetMessageSink(previous);
  return page;
}

// The field's name as the page spells it, or "" when it has none such.
std::string PageFieldName(const DtuPage &page, const std::string &field) {
  for (const DtuPageFieldInfo &info : page.Fields()) {
    if (Lower(info.name) == Lower(field)) return info.name;
  }
  return std::string();
}

std::vector<std::string> Lines(const std::string &bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string TempBase() { return QDir::temp().filePath("varnokctl-values").toStdString(); }

bool Blank(const std::string &line) { return line.find_first_not_of(" \t") == std::string::npos; }

std::string Trim(const std::string &text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The checks of one "page.Field" column against the run; "" when it may be
// used, else why not.
std::string CheckColumn(const std::string &column, const std::vector<std::string> &pages, const DtuConfig &file,
                        std::map<std::string, std::unique_ptr<DtuPage>> &page_objects, std::string &field_name) {
  const size_t dot = column.find('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == column.size()) {
    return "column \"" + column + "\" is not named page.Field (e.g. mqtt.ClientID)";
  }
  const std::string page_name = Lower(column.substr(0, dot));
  const std::vector<std::string> known = ProvisionPageNames();
  if (std::find(known.begin(), known.end(), page_name) == known.end()) {
    return "unknown page \"" + column.substr(0, dot) + "\" in column \"" + column + "\"";
  }
  if (std::find(pages.begin(), pages.end(), page_name) == pages.end()) {
    return "column \"" + column + "\": page " + page_name + " is not among the pages this run writes (--pages)";
  }
  std::unique_ptr<DtuPage> &page = page_objects[page_name];
  if (!page) page = PageFromFile(page_name);
  field_name = PageFieldName(*page, column.substr(dot + 1));
  if (field_name.empty()) return "unknown field \"" + column.substr(dot + 1) + "\" of page " + page_name;
  std::string why;
  if (DtuPageFoundIn(*page, file, why) != DtuPageInFile::kHeld) {
    return "column \"" + column + "\": the configuration file does not hold page " + page_name +
           ", so nothing of it is written (" + why + ")";
  }
  return std::string();
}

// A CSV value must be one the configuration file could hold, as a value
// that came from the file would be: each page of the row is saved into a
// scratch copy of the file and read back, and every value must come back as
// it was given ("abc" for a port comes back as 0). "" when all do.
std::string CheckThroughFile(const std::string &scratch, const FleetValues &values, const std::string &imei,
                             std::map<std::string, std::unique_ptr<DtuPage>> &page_objects) {
  const std::string file = DtuPageConfigPath();
  std::vector<std::string> said;
  DtuMessageSink previous = DtuSetMessageSink([&said](const std::string &text) { said.push_back(text); });
  std::string problem;
  std::set<std::string> saved;
  DtuPageSetConfigPath(scratch);
  for (const auto &[name, value] : values) {
    const std::string page_name = name.substr(0, name.find('.'));
    DtuPage &page = *page_objects[page_name];
    said.clear();
    if (saved.insert(page_name).second && !page.OnBnClickedBtSaveLocal()) {
      problem = name + " \"" + value + "\": the configuration file cannot hold it" +
                (said.empty() ? std::string() : " (" + said.back() + ")");
      break;
    }
    std::unique_ptr<DtuPage> back = ProvisionCreatePage(page_name);
    std::string kept;
    back->OnBnClickedBtReadLocal();
    back->GetField(name.substr(name.find('.') + 1), kept);
    if (kept != WithImei(value, imei)) {
      problem = name + " \"" + value + "\": the configuration file cannot hold it (it reads back as \"" + kept + "\")";
      break;
    }
  }
  DtuPageSetConfigPath(file);
  DtuSetMessageSink(previous);
  return problem;
}

}  // namespace

bool FleetSplitCsvLine(const std::string &line, std::vector<std::string> &cells) {
  cells.clear();
  std::string cell;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += c;
    }
  }
  cells.push_back(cell);
  return !quoted;
}

std::string FleetCsvCell(const std::string &text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

bool FleetValueTable::Load(const std::string &path, const std::vector<std::string> &pages,
                           const std::vector<std::string> &known_imeis, std::string &error) {
  std::string bytes, why;
  if (DtuReadWholeFile(path, bytes, &why) != DtuFileRead::kOk) {
    error = "cannot read the values file " + path + (why.empty() ? "" : ": " + why);
    return false;
  }
  DtuConfig file;
  {
    DtuMessageSink previous = DtuSetMessageSink([](const std::string &) {});
    file.LoadFromFile(DtuPageConfigPath());
    DtuSetMessageSink(previous);
  }
  auto fail = [&](size_t line, const std::string &text) {
    error = path + (line > 0 ? ":" + std::to_string(line) : "") + ": " + text;
    return false;
  };
  const std::vector<std::string> lines = Lines(bytes);
  size_t header_line = 0;
  while (header_line < lines.size() && Blank(lines[header_line])) ++header_line;
  if (header_line == lines.size()) return fail(0, "empty values file");
  std::vector<std::string> header;
  if (!FleetSplitCsvLine(lines[header_line], header)) return fail(header_line + 1, "a quote is not closed");
  int imei_column = -1;
  std::map<std::string, std::unique_ptr<DtuPage>> page_objects;
  std::vector<std::string> field_names(header.size());
  std::set<std::string> seen_columns;
  for (size_t c = 0; c < header.size(); ++c) {
    const std::string column = Trim(header[c]);
    if (Lower(column) == "imei") {
      if (imei_column >= 0) return fail(header_line + 1, "two IMEI columns");
      imei_column = static_cast<int>(c);
      columns_.push_back("IMEI");
      continue;
    }
    const std::string problem = CheckColumn(column, pages, file, page_objects, field_names[c]);
    if (!problem.empty()) return fail(header_line + 1, problem);
    const std::string name = Lower(column.substr(0, column.find('.'))) + "." + field_names[c];
    if (!seen_columns.insert(Lower(name)).second) return fail(header_line + 1, "column \"" + column + "\" twice");
    columns_.push_back(name);
  }
  if (imei_column < 0) return fail(header_line + 1, "no IMEI column in the header");
  const std::set<std::string> known(known_imeis.begin(), known_imeis.end());
  std::map<std::string, size_t> line_of;
  ProvisionBackupFile scratch;  // made at the first row with values
  for (size_t l = header_line + 1; l < lines.size(); ++l) {
    if (Blank(lines[l])) continue;
    std::vector<std::string> cells;
    if (!FleetSplitCsvLine(lines[l], cells)) return fail(l + 1, "a quote is not closed");
    if (cells.size() != header.size()) {
      return fail(l + 1, std::to_string(cells.size()) + " cells where the header has " + std::to_string(header.size()));
    }
    const std::string imei = Trim(cells[static_cast<size_t>(imei_column)]);
    if (imei.empty()) return fail(l + 1, "no IMEI");
    if (line_of.count(imei)) {
      return fail(l + 1, "IMEI " + imei + " twice (lines " + std::to_string(line_of[imei]) + " and " +
                             std::to_string(l + 1) + ")");
    }
    if (!known.empty() && !known.count(imei)) return fail(l + 1, "IMEI " + imei + " is not among the devices of this run");
    line_of[imei] = l + 1;
    FleetValues values;
    for (size_t c = 0; c < cells.size(); ++c) {
      if (static_cast<int>(c) == imei_column || cells[c].empty()) continue;
      const std::string &column = columns_[c];
      DtuPage &page = *page_objects[column.substr(0, column.find('.'))];
      std::string refusal;
      if (!page.SetField(field_names[c], WithImei(cells[c], imei), refusal)) {
        return fail(l + 1, column + " \"" + cells[c] + "\": " + refusal);
      }
      values.emplace_back(column, cells[c]);
    }
    if (!values.empty()) {
      if (scratch.WorkPath().empty() && !scratch.Begin(DtuPageConfigPath(), error, TempBase())) return false;
      const std::string problem = CheckThroughFile(scratch.WorkPath(), values, imei, page_objects);
      if (!problem.empty()) return fail(l + 1, problem);
    }
    rows_[imei] = values;
  }
  return true;
}

FleetValues FleetValueTable::ValuesOf(const std::string &imei) const {
  auto row = rows_.find(imei);
  return row == rows_.end() ? FleetValues() : row->second;
}

std::vector<std::string> FleetImeiTemplateFields(const std::vector<std::string> &pages) {
  std::vector<std::string> fields;
  for (const std::string &name : pages) {
    std::unique_ptr<DtuPage> page = PageFromFile(name);
    if (!page) continue;
    for (const DtuPageFieldInfo &info : page->Fields()) {
      std::string value;
      if (!info.is_list && page->GetField(info.name, value) && value.find(kFleetImeiPlaceholder) != std::string::npos) {
        fields.push_back(name + "." + info.name);
      }
    }
  }
  return fields;
}

FleetValues FleetDeviceValues(const std::string &imei, const std::vector<std::string> &template_fields,
                              const std::vector<std::string> &pages, const FleetValues &csv_values) {
  FleetValues values;
  std::map<std::string, std::unique_ptr<DtuPage>> page_objects;
  for (const std::string &field : template_fields) {
    const std::string page_name = field.substr(0, field.find('.'));
    if (std::find(pages.begin(), pages.end(), page_name) == pages.end()) continue;
    std::unique_ptr<DtuPage> &page = page_objects[page_name];
    if (!page) page = PageFromFile(page_name);
    std::string value;
    if (page && page->GetField(field.substr(field.find('.') + 1), value)) values.emplace_back(field, WithImei(value, imei));
  }
  for (const auto &[name, value] : csv_values) {
    auto same = std::find_if(values.begin(), values.end(), [&](const auto &v) { return Lower(v.first) == Lower(name); });
    if (same != values.end()) same->second = WithImei(value, imei);
    else values.emplace_back(name, WithImei(value, imei));
  }
  return values;
}

bool FleetAdjustPage(DtuPage &page, const std::string &imei, const FleetValues &values, std::string &error) {
  for (const DtuPageFieldInfo &info : page.Fields()) {
    std::string value;
    if (info.is_list || !page.GetField(info.name, value) || value.find(kFleetImeiPlaceholder) == std::string::npos) {
      continue;
    }
    if (!page.SetField(info.name, WithImei(value, imei), error)) {
      error = std::string(page.PageName()) + "." + info.name + ": " + error;
      return false;
    }
  }
  const std::string prefix = Lower(page.PageName()) + ".";
  for (const auto &[name, value] : values) {
    if (Lower(name).rfind(prefix, 0) != 0) continue;
    const std::string field = name.substr(prefix.size());
    if (!page.SetField(field, WithImei(value, imei), error)) {
      error = name + ": " + error;
      return false;
    }
  }
  return true;
}

std::string FleetValueArgument(const std::string &name, const std::string &value) { return name + "=" + value; }

bool FleetParseValueArgument(const std::string &text, std::string &name, std::string &value) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  name = text.substr(0, eq);
  value = text.substr(eq + 1);
  return true;
}
