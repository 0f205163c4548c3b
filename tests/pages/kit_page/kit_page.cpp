#include "tests/pages/kit_page/kit_page.h"

#include "base/dtu_lang.h"
#include "config/dtu_config_added.h"

namespace {

constexpr char kSection[] = "KIT";
constexpr char kGreeting[] = "Greeting";
constexpr char kLevel[] = "Level";

std::vector<DtuFieldDef> KitFields() {
  return {DtuTextFieldDef(kGreeting, "kit-greeting")
              .AnsweredBy<&KitPage::GreetingAnswered>()
              .StoredIn(DtuAddedFileSlot<kSection, kGreeting>())
              .Labelled(DtuLangAddText("Greeting", "问候")),
          DtuNumberFieldDef(kLevel, "kit-level")
              .Ranging(0, 9)
              .AnsweredBy<&KitPage::LevelAnswered>()
              .StoredIn(DtuAddedFileSlot<kSection, kLevel>())
              .Labelled(DtuLangAddText("Level", "级别"))
              .ConfirmingSet()};
}

const int kKitSection = DtuConfigAddSection(kSection, {kGreeting, kLevel});

}  // namespace

DTU_PAGE_FAMILY(kit_page, {kKitPageCode, DtuLangAddText("Kit Page", "套件页"), DtuPageCode::kRoot, kKitPageCode, "kit",
                           &DtuMakePage<KitPage>});

KitPage::KitPage(QObject *parent) : DtuTextFieldsPage(KitFields(), parent) { AttachFieldAnswers(); }

KitPage::~KitPage() = default;

void KitPage::GreetingAnswered(const char *value, int) { OnAnswer(kGreeting, value); }

void KitPage::LevelAnswered(const char *value, int) { OnAnswer(kLevel, value); }
