// A page that lives only in this folder: two fields of a device the tool
// does not know ("kit-greeting", "kit-level"), kept in a file section of its
// own ([KIT]). It registers itself with the catalog (kit_page.cpp) and the
// view table (kit_page_view.cpp); nothing outside this folder names it.
#pragma once

#include "pages/dtu_page_catalog.h"
#include "pages/kit/dtu_page_answers.h"
#include "pages/kit/dtu_page_store.h"
#include "pages/kit/dtu_text_fields_page.h"

// Its place in the tree: after every page of the tool.
constexpr DtuPageCode kKitPageCode = static_cast<DtuPageCode>(100);

class KitPage : public DtuTextFieldsPage, public DtuStoredPage {
  Q_OBJECT

 public:
  enum Field { kGreeting, kLevel };

  explicit KitPage(QObject *parent = nullptr);
  ~KitPage() override;

  std::vector<std::string> FileSections() const override { return {"KIT"}; }
  const char *PageName() const override { return "kit"; }

  void GreetingAnswered(const char *value, int length);
  void LevelAnswered(const char *value, int length);

 private:
  DtuPageReference<KitPage> reference_{this};
};
