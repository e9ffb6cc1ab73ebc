#include "services/mail_texts.h"

namespace zorvadel::services {
namespace {

// The tips end in an ASCII colon in both languages. The initial addresses
// are an at sign and a reserved example domain, one per field.
constexpr MailTexts kChineseTexts = {
    .default_subject = u"手机邮件",
    .default_from_name = u"中国青石流云在线",
    .body_opening = u"您的朋友 \"",
    .body_by = u"> 通过",
    .body_used_wap = u")给您用WAP手机[",
    .body_content = u"]发来新邮件,内容如下:",
    .empty_field = {u"请输入姓名。", u"请输入您的邮箱。", u"请输入对方邮箱。", u"请输入邮件主题。",
                    u"请输入邮件内容。"},
    .send_failed = u"邮件发送失败，请重新尝试。",
    .form_title = u"发送新邮件",
    .task_label = u"发送",
    .send_text = u"立即发送",
    .fields = {{
        {u"您的姓名:", u"", u"您的姓名"},
        {u"您的邮箱:", u"@example.net", u"您的邮箱"},
        {u"对方邮箱:", u"@example.org", u"对方邮箱"},
        {u"邮件主题:", u"关于", u"邮件主题"},
        {u"邮件正文:", u"您好!", u"邮件正文"},
    }},
};

constexpr MailTexts kEnglishTexts = {
    .default_subject = u"Phone Mail",
    .default_from_name = u"Chinese Mardon Varedo",
    .body_opening = u"Your Friend \"",
    .body_by = u"> By ",
    .body_used_wap = u") Used WAP Site [",
    .body_content = u"] Send A New Mail,The Content:",
    .empty_field = {u"Please enter the name.", u"Please enter your e-mail.",
                    u"Please enter each other's mail.", u"Please enter the e-mail the theme.",
                    u"Please enter the e-mail content."},
    .send_failed = u"E-mail failed, please try again.",
    .form_title = u"Send A Mail",
    .task_label = u"Send",
    .send_text = u"Send Mail",
    .fields = {{
        {u"My Name:", u"", u"My Name"},
        {u"My Email Address:", u"@example.net", u"My Mail"},
        {u"Receive Mail Adress:", u"@example.org", u"Address"},
        {u"Mail Subject:", u"About", u"Mail Subject"},
        {u"Mail Content:", u"Hello!", u"Mail Content"},
    }},
};

}  // namespace

const MailTexts& MailTextsOf(PageLanguage language) {
  return language == PageLanguage::kEnglish ? kEnglishTexts : kChineseTexts;
}

}  // namespace zorvadel::services
