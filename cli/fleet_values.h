// Per-device values of a fleet apply. A values file is CSV: a header with
// an "IMEI" column and one column per field, named "page.Field" as varnokctl
// names them ("mqtt.ClientID"); each row gives one device's values, an empty
// cell keeps the configuration file's value. Everywhere in the file's values
// (and the CSV's), "${IMEI}" becomes the device's IMEI.
//
// The whole CSV is checked before anything is sent: an unknown page or field,
// a page the run does not write, a value the page refuses, an IMEI given
// twice or not among the devices of the run, and a row that does not match
// the header are refused, each with its line.
#pragma once

#include <map>
#include <string>
#include <vector>

class DtuPage;

extern const char kFleetImeiPlaceholder[];  // "${IMEI}"

// One device's values: "page.Field" -> value, in the CSV's column order.
using FleetValues = std::vector<std::pair<std::string, std::string>>;

class FleetValueTable {
 public:
  // Reads and checks `path` against the pages of the run (tree order) and
  // the configuration file they are read from (DtuPageConfigPath()).
  // `known_imeis` empty: any IMEI is accepted. False with `error`.
  bool Load(const std::string &path, const std::vector<std::string> &pages,
            const std::vector<std::string> &known_imeis, std::string &error);

  // The CSV's values for one device (empty when it has no row).
  FleetValues ValuesOf(const std::string &imei) const;
  bool Empty() const { return rows_.empty(); }

 private:
  std::vector<std::string> columns_;  // "page.Field", as in the header
  std::map<std::string, FleetValues> rows_;
};

// The fields (as "page.Field") whose value in the configuration file holds
// "${IMEI}", for the pages given.
std::vector<std::string> FleetImeiTemplateFields(const std::vector<std::string> &pages);

// Everything one device gets beyond the file as it is: its "${IMEI}" fields
// with the IMEI put in, then its CSV values; what the report shows.
FleetValues FleetDeviceValues(const std::string &imei, const std::vector<std::string> &template_fields,
                              const std::vector<std::string> &pages, const FleetValues &csv_values);

// Puts a device's values into `page` after its Read Local (the job's adjust
// hook): "${IMEI}" in every text field, then the values of this page.
// False with `error` when the page refuses one.
bool FleetAdjustPage(DtuPage &page, const std::string &imei, const FleetValues &values, std::string &error);

// "page.Field=value" and back (the worker's command line).
std::string FleetValueArgument(const std::string &name, const std::string &value);
bool FleetParseValueArgument(const std::string &text, std::string &name, std::string &value);

// One CSV line split into cells (RFC 4180 quotes); false when a quote is
// left open.
bool FleetSplitCsvLine(const std::string &line, std::vector<std::string> &cells);
// A cell as CSV writes it (quoted when it holds a comma, quote or line end).
std::string FleetCsvCell(const std::string &text);
