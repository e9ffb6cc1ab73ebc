// Jet files as a Database: every open and statement is a job for a reader
// (jet_pool.cc), whose answer comes back as encoded values and is held as
// rows here.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ado/backend.h"
#include "platform/ado/jet_job.h"
#include "platform/ado/jet_pool.h"
#include "platform/ado/variant_codec.h"
#include "platform/codepage/codepage.h"

namespace zorvadel::ado {
namespace {

[[noreturn]] void Garbled() { jet::ReaderFailed(u"its answer is garbled."); }

// Raises the reader's own failure when `mark` is one: the driver's message
// and what MDBTools printed, which often holds the cause the message lacks
// ("[] Couldn't parse SQL (MDBTools: Monitor_Missing is not a table)").
void RaiseIfFailed(uint8_t mark, Decoder& decoder, std::u16string_view said) {
  if (mark != static_cast<uint8_t>(jet::kFailed)) return;
  std::u16string why;
  if (!decoder.ReadText(why)) Garbled();
  throw ScriptError(kErrProvider, jet::WithWhatItSaid(why, said));
}

char TagOf(Decoder& decoder, std::u16string_view said) {
  uint8_t tag = 0;
  if (!decoder.ReadByte(tag)) Garbled();
  RaiseIfFailed(tag, decoder, said);
  return static_cast<char>(tag);
}

class JetDatabase : public Database {
 public:
  explicit JetDatabase(std::string path) : path_(std::move(path)) {}

  std::unique_ptr<RowSource> Run(std::u16string_view sql, bool scrollable) override {
    if (!LooksLikeQuery(sql)) RaiseReadOnly();
    const jet::JobAnswer job = jet::RunJob(jet::kRead, path_, sql);
    const std::string& answer = job.bytes;
    Decoder decoder(answer);
    const char tag = TagOf(decoder, job.said);
    if (tag == jet::kAction) return nullptr;
    if (tag != jet::kRows) Garbled();
    uint64_t columns = 0;
    if (!decoder.ReadCount(columns) || columns > answer.size()) Garbled();
    std::vector<std::u16string> names(static_cast<size_t>(columns));
    for (std::u16string& name : names) {
      if (!decoder.ReadText(name)) Garbled();
    }
    std::vector<std::vector<Variant>> rows;
    for (;;) {
      uint8_t mark = 0;
      if (!decoder.ReadByte(mark)) Garbled();
      if (mark == static_cast<uint8_t>(jet::kEnd)) break;
      RaiseIfFailed(mark, decoder, job.said);
      if (mark != static_cast<uint8_t>(jet::kRow)) Garbled();
      std::vector<Variant>& row = rows.emplace_back(names.size());
      for (Variant& value : row) {
        if (!decoder.ReadVariant(value)) Garbled();
      }
    }
    if (!decoder.AtEnd()) Garbled();
    return std::make_unique<HeldRows>(std::move(names), std::move(rows), scrollable);
  }

  void RunWithTexts(std::u16string_view /*sql*/,
                    const std::vector<std::u16string>& /*texts*/) override {
    RaiseReadOnly();
  }

 private:
  std::string path_;
};

}  // namespace

std::shared_ptr<Database> OpenKnownJetFile(const std::u16string& path) {
  std::string file = codepage::ToUtf8(path);
  jet::FileIdentity identity;
  if (!jet::IdentityOf(file, identity) || !jet::OpenedBefore(identity)) return nullptr;
  return std::make_shared<JetDatabase>(std::move(file));
}

std::shared_ptr<Database> OpenJetFile(const std::u16string& path) {
  // An open tells only whether the file can be read: the same file, opened
  // fine before, needs no reader to say so again.
  if (std::shared_ptr<Database> known = OpenKnownJetFile(path)) return known;
  std::string file = codepage::ToUtf8(path);
  const jet::JobAnswer job = jet::RunJob(jet::kOpen, file, u"");
  Decoder decoder(job.bytes);
  if (TagOf(decoder, job.said) != jet::kOpened) Garbled();
  jet::FileIdentity identity;
  if (jet::IdentityOf(file, identity) && jet::Settled(identity.seconds, identity.nanoseconds)) {
    jet::NoteOpened(identity);
  }
  return std::make_shared<JetDatabase>(std::move(file));
}

}  // namespace zorvadel::ado
