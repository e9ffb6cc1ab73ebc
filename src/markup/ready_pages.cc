#include "markup/ready_pages.h"

namespace zorvadel::markup {
namespace {

// Colons: "：" (U+FF1A) closes the Chinese prompts and the value prompt of
// both classes; every other colon and bracket is ASCII.
constexpr ReadyTexts kChineseTexts = {
    .date_prompt = u"日期(例:1981-9-16)\uFF1A",
    .value_prompt = u"请输入值\uFF1A",
    .submit_label = u"提交",
    .query_button = u"确定查询",
    .today_label = u"今天[",
    .closing_bracket = u"]\uFF1A",
    .result_label = u"星期查询结果:",
    .continue_text = u"继续查询",
    .phone_prompt = u"请输入电话号码:",
    .phone_title = u"电话号码",
    .call_link_title = u"呼叫",
    .call_link_text = u"呼叫电话",
    .call_task_label = u"呼出",
    .address_prompt = u"请输入URL(http://后边的部分):",
    .address_title = u"WAP地址",
    .go_link_title = u"转到",
    .go_link_text = u"立即访问",
    .go_task_label = u"转到",
};

constexpr ReadyTexts kEnglishTexts = {
    .date_prompt = u"Date(For Example:1981-9-16):",
    .value_prompt = u"Please enter a value\uFF1A",
    .submit_label = u"Submit",
    .query_button = u"Submit",
    .today_label = u"Today[",
    .closing_bracket = u"]:",
    .result_label = u"Week Search Result:",
    .continue_text = u"Continue To Query",
    .phone_prompt = u"Please enter the phone number:",
    .phone_title = u"PHONE NUMBER",
    .call_link_title = u"Call",
    .call_link_text = u"Call The Number",
    .call_task_label = u"Call",
    .address_prompt = u"Please enter the URL(Except 'http://'):",
    .address_title = u"WAP URL",
    .go_link_title = u"Go",
    .go_link_text = u"Enter",
    .go_task_label = u"Enter",
};

}  // namespace

const ReadyTexts& ReadyTextsOf(PageLanguage language) {
  return language == PageLanguage::kEnglish ? kEnglishTexts : kChineseTexts;
}

// The library's own site first, then the portals. The addresses are
// placeholders under the reserved example domains; a site that wants real
// ones builds its own list from A.
const std::array<PortalSite, kPortalCount> kPortalSites = {{
    {u"http://wap.example.com/", u"青石流云", u"Mardon"},
    {u"http://sohu.example.net/", u"搜狐", u"Sohu"},
    {u"http://sina.example.net/", u"新浪", u"Sina"},
    {u"http://netease.example.net/", u"网易", u"NetEase"},
    {u"http://yahoo-cn.example.org/", u"雅虎中国", u"Yahoo China"},
    {u"http://baidu.example.org/", u"百度", u"Baidu"},
    {u"http://google.example.org/", u"谷歌", u"Google"},
    {u"http://bing.example.org/", u"必应", u"Bing"},
}};

}  // namespace zorvadel::markup
