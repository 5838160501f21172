// The RTF reader on any bytes: text that is not RTF raises 321 and nothing
// else; what it reads is merged valid UTF-8 runs that the writer writes back
// to the same runs; a rich-text box takes them and restyles a part of them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/runtime_error.h"
#include "base/utf8.h"
#include "controls/rich_text_box.h"
#include "controls/rtf.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using lirvo::controls::StyledText;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  StyledText runs;
  try {
    runs = lirvo::controls::ReadRtf(bytes);
  } catch (const lirvo::RuntimeError& e) {
    Check(e.Number() == lirvo::controls::kErrInvalidFileFormat);
    return 0;
  }
  for (size_t i = 0; i < runs.size(); ++i) {
    Check(!runs[i].text.empty() && lirvo::IsValidUtf8(runs[i].text));
    Check(i == 0 || !(runs[i - 1].style == runs[i].style));
  }
  const std::string rtf = lirvo::controls::WriteRtf(runs);
  for (const unsigned char c : rtf) Check(c < 0x80);
  Check(lirvo::controls::ReadRtf(rtf) == runs);

  lirvo::controls::RichTextBox box("RichTextBox1", {});
  box.SetRuns(runs);
  Check(box.Runs() == runs);
  const int32_t length = box.TextLength();
  box.SetSelStart(static_cast<int32_t>(size % (length + 1)));
  box.SetSelLength(length / 2);
  const std::string selected = box.SelText();
  box.SetSelBold(true);
  box.SetSelColor(255);
  Check(box.SelText() == selected && box.TextLength() == length);
  return 0;
}
