#include "component/page_texts.h"

namespace zorvadel {
namespace {

constexpr PageTexts kChinese = {
    .card_title = u"第一卡片",
    .site_name = u"中国青石流云在线",
    .next_page_title = u"下页",
    .pre_page_title = u"上页",
    .residual_string = u"剩余全文",
    .about_before = u"全新内核构架的",
    .about_after = u",让您建设WAP网站更加随心所欲。",
};

constexpr PageTexts kEnglish = {
    .card_title = u"First Card",
    .site_name = u"Chinese Mardon Varedo",
    .next_page_title = u"Next Page",
    .pre_page_title = u"Previous Page",
    .residual_string = u"",
    .about_before = u"New 3G ，New ",
    .about_after = u"。",
};

}  // namespace

const PageTexts& TextsFor(PageLanguage language) {
  return language == PageLanguage::kEnglish ? kEnglish : kChinese;
}

}  // namespace zorvadel
