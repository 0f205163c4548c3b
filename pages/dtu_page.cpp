#include "pages/dtu_page.h"

#include "base/dtu_lang.h"
#include "base/dtu_message.h"

void DtuPage::ConfirmSet(DtuTextId success_text_id) {
  if (!set_pending_.exchange(false)) return;
  DtuMessageBox(DtuLangText(success_text_id));
  emit SetConfirmed();
}

void DtuPage::FinishRead() {
  if (read_pending_.exchange(false)) emit ReadFinished();
}
