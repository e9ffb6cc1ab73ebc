#include "markup/forms.h"

#include <string>
#include <vector>

#include "text/attribute_escape.h"
#include "text/xml_chars.h"
#include "zorvadel/runtime.h"

namespace zorvadel::markup {

using text::AppendAttributeText;
using text::AppendTag;

namespace {

constexpr FormTexts kChineseTexts = {
    u"请输入值：",
    u"提交",
    u"在此设置表格标题",
};

// The table title stays Chinese: the English class shares it.
constexpr FormTexts kEnglishTexts = {
    u"Please enter a value：",
    u"Submit",
    u"在此设置表格标题",
};

// Which pieces an option item carries besides its title.
enum class OptionForm { kTarget, kValue, kFull };

// A list of targets without values gives target items, a list of values
// without targets value items, anything else both.
OptionForm ChooseOptionForm(size_t value_count, size_t href_count) {
  if (href_count == 0) return OptionForm::kValue;
  if (value_count == 0) return OptionForm::kTarget;
  return OptionForm::kFull;
}

void AppendAttribute(std::u16string& out, std::u16string_view name, std::u16string_view value) {
  out.append(name).append(u"=\"");
  AppendAttributeText(value, &out);
  out.append(u"\" ");
}

}  // namespace

const FormTexts& FormTextsOf(PageLanguage language) {
  return language == PageLanguage::kEnglish ? kEnglishTexts : kChineseTexts;
}

std::u16string HtmlFormStart(std::u16string_view action) {
  std::u16string out;
  AppendTag({u"<form name=\"FirstForm\" method=\"post\" action=\"", action, u"\">"}, &out);
  return out;
}

std::u16string InputElement(const InputField& field, const TextFilter& filter) {
  std::u16string out;
  if (!field.show_tip.empty()) out.append(filter(field.show_tip)).append(u"<br/>");
  out += u"<input ";
  AppendAttribute(out, u"type", LCase(field.type));
  AppendAttribute(out, u"name", filter(field.name));
  AppendAttribute(out, u"value", filter(field.value));
  AppendAttribute(out, u"title", filter(field.title));
  text::AppendXmlCarried(field.other_att, &out);
  out.append(u"/>");
  return out;
}

std::u16string PostTaskStart(std::u16string_view do_type, const std::u16string& label,
                             std::u16string_view go_url, std::u16string_view charset,
                             const TextFilter& filter) {
  std::u16string out;
  AppendTag(
      {u"<do type=\"", do_type, u"\" label=\"", filter(label), u"\" optional=\"false\"><go href=\"",
       go_url, u"\" method=\"post\" accept-charset=\"", charset, u"\">"},
      &out);
  return out;
}

std::u16string PostVariable(const std::u16string& name, const std::u16string& variable,
                            const TextFilter& filter) {
  std::u16string out;
  AppendTag({kPostFieldPre, filter(name), kPostFieldMid, filter(variable), kPostFieldLast}, &out);
  return out;
}

std::u16string SelectStart(const SelectList& list, const TextFilter& filter) {
  const bool has_title = !list.title.empty();
  const bool has_name = !list.name.empty();
  const bool has_iname = !list.iname.empty();
  std::u16string out = u"<select ";
  // The form with both names writes the title even when it is empty.
  if (has_title || (has_name && has_iname)) AppendAttribute(out, u"title", filter(list.title));
  if (has_name) {
    AppendAttribute(out, u"name", filter(list.name));
    AppendAttribute(out, u"value", filter(list.value));
  }
  if (has_iname) {
    AppendAttribute(out, u"iname", filter(list.iname));
    AppendAttribute(out, u"ivalue", filter(list.ivalue));
    AppendAttribute(out, u"multiple", list.multiple ? u"true" : u"false");
  }
  text::AppendXmlCarried(list.other_att, &out);
  // A title alone ends with a blank on either side of ">"; pages written for
  // the library rely on that exact text.
  out += (has_title && !has_name && !has_iname) ? u" > " : u">";
  return out;
}

std::u16string OptionElements(const OptionList& list, const TextFilter& filter) {
  const std::vector<std::u16string> titles = Split(list.titles, list.split_mark);
  const std::vector<std::u16string> values = Split(list.values, list.split_mark);
  const std::vector<std::u16string> hrefs = Split(list.hrefs, list.split_mark);
  const OptionForm form = ChooseOptionForm(values.size(), hrefs.size());
  const bool needs_value = form != OptionForm::kTarget;
  const bool needs_href = form != OptionForm::kValue;

  std::u16string items;
  for (size_t i = 0; i < titles.size(); ++i) {
    // An item whose piece is missing is left out; the rest go on.
    if ((needs_value && i >= values.size()) || (needs_href && i >= hrefs.size())) continue;
    const std::u16string title = filter(titles[i]);
    AppendTag({u"<option title=\"", title, u"\" value=\"",
               needs_value ? std::u16string_view(values[i]) : std::u16string_view(), u"\""},
              &items);
    if (needs_href) AppendTag({u" onpick=\"", hrefs[i], u"\""}, &items);
    // Between the tags the title is the reader's text, as filtered.
    items.append(u">").append(title).append(u"</option>");
  }

  if (list.group_name.empty()) return items + u"</select>";
  std::u16string out;
  AppendTag({u"<optgroup title=\"", filter(list.group_name), u"\">"}, &out);
  out.append(items);
  out += list.is_last_group ? u"</optgroup></select>" : u"</optgroup>";
  return out;
}

}  // namespace zorvadel::markup
