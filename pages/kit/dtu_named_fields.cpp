#include "pages/kit/dtu_named_fields.h"

#include <strings.h>

#include <utility>

#include "pages/kit/dtu_page_fields.h"
#include "pages/kit/dtu_typed_number.h"

DtuNamedField DtuTextField(std::string name, std::string *text) { return {std::move(name), text, nullptr, 0, 0, false}; }

DtuNamedField DtuListField(std::string name, int *index, int size) {
  return {std::move(name), nullptr, index, 0, size - 1, true};
}

DtuNamedField DtuNumberField(std::string name, int *number, int low, int high) {
  return {std::move(name), nullptr, number, low, high, false};
}

const DtuNamedField *DtuFindNamedField(const DtuNamedFields &fields, const std::string &name) {
  for (const DtuNamedField &f : fields) {
    if (strcasecmp(f.name.c_str(), name.c_str()) == 0) return &f;
  }
  return nullptr;
}

std::vector<DtuPageFieldInfo> DtuNamedFieldInfo(const DtuNamedFields &fields) {
  std::vector<DtuPageFieldInfo> out;
  for (const DtuNamedField &f : fields) {
    DtuPageFieldInfo info{f.name, f.is_list, f.is_list ? f.high + 1 : 0};
    info.is_number = f.number != nullptr && !f.is_list;
    if (info.is_number) info.min_value = f.low, info.max_value = f.high;
    info.label = f.label;
    info.items = f.items;
    out.push_back(std::move(info));
  }
  return out;
}

bool DtuGetNamedField(const DtuNamedFields &fields, const std::string &name, std::string &value) {
  const DtuNamedField *f = DtuFindNamedField(fields, name);
  if (f == nullptr) return false;
  value = f->text ? *f->text : std::to_string(*f->number);
  return true;
}

bool DtuSetNamedField(const DtuNamedFields &fields, const std::string &name, const std::string &value,
                      std::string &error) {
  const DtuNamedField *f = DtuFindNamedField(fields, name);
  if (f == nullptr) {
    error = "unknown field: " + name;
    return false;
  }
  if (f->text) {
    if (!DtuTextValueAllowed(name, value, error)) return false;  // a second line on the wire
    *f->text = value;
    return true;
  }
  const std::string trimmed = DtuTypedTrim(value);
  const long long number = DtuTypedNumber(trimmed);
  if (!DtuTypedAllDigits(trimmed) || number < f->low || number > f->high) {
    error = f->name + ": " + value + " is not in " + std::to_string(f->low) + ".." + std::to_string(f->high);
    return false;
  }
  *f->number = static_cast<int>(number);
  return true;
}
