#include "pages/kit/dtu_field_rows.h"

#include <strings.h>

#include "config/dtu_config_keys.h"
#include "pages/kit/dtu_page_fields.h"
#include "pages/kit/dtu_typed_number.h"

namespace {

// A number's range, or a list's indexes.
long long Low(const DtuFieldDef &def) { return def.kind == DtuFieldKind::kList ? 0 : def.min_value; }
long long High(const DtuFieldDef &def) { return def.kind == DtuFieldKind::kList ? def.list_size - 1 : def.max_value; }

}  // namespace

DtuPageFieldInfo DtuFieldInfoOf(const DtuFieldDef &def, const std::string &name) {
  const bool is_list = def.kind == DtuFieldKind::kList;
  DtuPageFieldInfo info{name, is_list, is_list ? def.list_size : 0};
  info.is_number = def.kind == DtuFieldKind::kNumber;
  info.min_value = def.min_value;
  info.max_value = def.max_value;
  if (def.kind == DtuFieldKind::kText) info.text_limit = def.file.capacity;
  info.label = def.label;
  info.items = def.items;
  return info;
}

std::vector<DtuPageFieldInfo> DtuMadeFieldsInfo(const DtuMadeFields &fields) {
  std::vector<DtuPageFieldInfo> out;
  for (const DtuMadeField &f : fields) {
    if (f.listed) out.push_back(DtuFieldInfoOf(*f.def, f.name));
  }
  return out;
}

const DtuMadeField *DtuFindMadeField(const DtuMadeFields &fields, const std::string &name) {
  for (const DtuMadeField &f : fields) {
    if (strcasecmp(f.name.c_str(), name.c_str()) == 0) return &f;
  }
  return nullptr;
}

std::string DtuMadeFieldValue(const DtuMadeField &field) {
  return field.get ? field.get() : field.text ? *field.text : std::to_string(*field.number);
}

bool DtuGetMadeField(const DtuMadeFields &fields, const std::string &name, std::string &value) {
  const DtuMadeField *f = DtuFindMadeField(fields, name);
  if (f == nullptr) return false;
  value = DtuMadeFieldValue(*f);
  return true;
}

void DtuStoreMadeFields(const DtuMadeFields &fields, const DtuMadeFieldFilter &kept, DtuConfig &config) {
  for (const DtuMadeField &f : fields) {
    if (f.section == nullptr || !kept(f)) continue;
    DtuConfigPut(config, f.section, f.name, f.def->FileValue(DtuMadeFieldValue(f)));
  }
}

namespace {

void LoadNumber(const DtuMadeField &f, const std::string &value) {
  const DtuFieldDef &def = *f.def;
  const std::string trimmed = DtuTypedTrim(value);
  const long long number = DtuTypedNumber(trimmed);
  const bool any_number = def.kind == DtuFieldKind::kNumber && !def.Ranged();
  if (DtuTypedAllDigits(trimmed) && (any_number || (number >= Low(def) && number <= High(def)))) {
    *f.number = static_cast<int>(number);
  } else if (def.file_fallback) {
    *f.number = static_cast<int>(*def.file_fallback);
  } else if (def.kind == DtuFieldKind::kList) {
    *f.number = 0;
  }
}

}  // namespace

void DtuLoadMadeFields(const DtuMadeFields &fields, const DtuMadeFieldFilter &kept, const DtuConfig &config) {
  for (const DtuMadeField &f : fields) {
    std::string stored;
    if (f.section == nullptr || !kept(f) || !DtuConfigGet(config, f.section, f.name, stored)) continue;
    const std::string value = f.def->ValueFromFile(stored);
    std::string refused;
    if (f.set) f.set(value, refused);  // a value the codec refuses leaves the field as it was
    else if (f.text) *f.text = value;
    else LoadNumber(f, value);
  }
}

bool DtuSetMadeField(const DtuMadeFields &fields, const std::string &name, const std::string &value,
                     std::string &error) {
  const DtuMadeField *f = DtuFindMadeField(fields, name);
  if (f == nullptr) {
    error = "unknown field: " + name;
    return false;
  }
  if (f->set) {
    if (f->set(value, error)) return true;
    error = name + ": " + error;
    return false;
  }
  if (f->text) {
    if (!DtuTextValueAllowed(name, value, error)) return false;  // a second line on the wire
    *f->text = value;
    return true;
  }
  const std::string trimmed = DtuTypedTrim(value);
  const long long number = DtuTypedNumber(trimmed);
  const long long low = Low(*f->def), high = High(*f->def);
  if (!DtuTypedAllDigits(trimmed) || number < low || number > high) {
    error = f->name + ": " + value + " is not in " + std::to_string(low) + ".." + std::to_string(high);
    return false;
  }
  *f->number = static_cast<int>(number);
  return true;
}
