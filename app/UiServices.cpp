#include "app/UiServices.h"

#include "app/Texts.h"

void OpenLinkOrSay(UiServices& ui, const std::string& url) {
  if (ui.OpenLink(url)) return;
  ui.MessageBox(texts::kAppName, texts::NoLinkHandler(g_bGreek, url),
                UiServices::BoxIcon::kInformation);
}
