#include "crypto/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace lirvo::crypto {
namespace {

TEST(Base64Test, EncodesGroupsOfThreeWithPadding) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {std::string("\xff\xfe\x00", 3), "//4A"}};
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(Base64Encode(bytes), text);
    EXPECT_EQ(Base64Decode(text), bytes);
  }
  // No line is ever broken, however long the text.
  EXPECT_EQ(Base64Encode(std::string(300, '\xfb')).find_first_of("\r\n"), std::string::npos);
}

TEST(Base64Test, DecoderSkipsForeignCharactersAndCutsLeftovers) {
  const std::pair<std::string, std::string> cases[] = {
      {"Zm9v\r\nYmFy", "foobar"},
      {" Z m 9 v \tYm\nFy\n", "foobar"},
      {"Zm9v.YmFy!", "foobar"},
      {"\xc3\xa0Zm9v", "foo"},
      {"Zm9", ""},
      {"Zg=", ""},
      {"Zm9vYm", "foo"},  // two symbols left over
      {"\n\nZm9", ""},    // four characters, three symbols
      // Padding shortens each group wherever it stands; "=" in third place
      // alone counts as the value 64 and shortens nothing.
      {"Zg==Zg==", "ff"},
      {"Zm8=Zm9v", "fofoo"},
      {"Zm=v", "fp/"}};
  for (const auto& [text, bytes] : cases) EXPECT_EQ(Base64Decode(text), bytes) << text;
}

// A message with a text part and two Base64 attachments.
const char kMessage[] =
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; Boundary=\"==sep42\"\r\n"
    "\r\n"
    "--==sep42\r\n"
    "Content-Type: text/plain; charset=utf-8\r\n"
    "\r\n"
    "This is the text part of the message, a long line without any Base64 inside it\r\n"
    "--==sep42\r\n"
    "Content-Type: application/octet-stream; name=\"one.bin\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "Rmlyc3QgYXR0YWNobWVudCwgbG9uZyBlbm91Z2ggdG8gZmlsbCBhIGxpbmUu\r\n"
    "--==sep42\r\n"
    "Content-Type: application/octet-stream; name=\"two.bin\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "U2Vjb25kIGF0dGFjaG1lbnQsIHdob3NlIGJvZHkgcnVucyBvdmVyIHR3byBs\r\n"
    "aW5lcyBvZiBCYXNlNjQu\r\n"
    "--==sep42--\r\n";

TEST(MimeBodyTest, ReturnsTheLastAttachmentOnly) {
  EXPECT_EQ(DecodeMimeBody(kMessage),
            "Second attachment, whose body runs over two lines of Base64.");
  std::string lf_only = kMessage;
  for (size_t at; (at = lf_only.find("\r\n")) != std::string::npos;) lf_only.erase(at, 1);
  EXPECT_EQ(DecodeMimeBody(lf_only), DecodeMimeBody(kMessage));
}

TEST(MimeBodyTest, SkipsLinesThatLookLikeHeaders) {
  // Long lines with ":", ";", a blank, a quote or "=" in their first 49
  // characters are not the data; "=" after them is.
  const std::string body =
      "TWVzc2FnZSB0aGF0IHN0YXJ0cyBhZnRlciB0aGUgaGVhZGVyIGxpbmVzIGFuZCBlbmRzIGhlcmUu";
  const std::string part =
      "X-Long-Header: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\n"
      "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa;aaaaaaaaaaaaaaaaaaaaaaaaa\n"
      "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa=aaaaaaaaaaaaaaaaaaaaaaaaaaaaa\n"
      "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\n"
      "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"aaaaaaaaaaaaaaaaaaaaaaaaaaaa\n"
      "short\n" +
      body + "\n";
  EXPECT_EQ(DecodeMimeBody("Subject: x; boundary=zz\n--zz\n" + part + "--zz--"),
            "Message that starts after the header lines and ends here.");
  // Without a boundary the whole text is the one part.
  EXPECT_EQ(DecodeMimeBody(part), "Message that starts after the header lines and ends here.");
}

TEST(MimeBodyTest, DataStopsAtTheFirstDoubleDash) {
  const std::string line = "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJz";
  EXPECT_EQ(DecodeMimeBody(line + "--trailer QUJD"),
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrs");
  // Exactly 50 characters is not long enough.
  EXPECT_EQ(DecodeMimeBody(line.substr(0, 50)), "");
  EXPECT_EQ(DecodeMimeBody(line.substr(0, 51) + "\r\n"), Base64Decode(line.substr(0, 51)));
}

TEST(MimeBodyTest, MessagesWithoutWholePartsGiveNothing) {
  // The last case has its Base64 in the first part, not in the last one.
  for (const std::string message :
       {"boundary=", "BOUNDARY=x", "boundary=x\n--x\nQUJD", "boundary=\"\"\n--\n--",
        "boundary=x\r\n--x--x--x",
        "Content-Type: multipart/mixed; boundary=b1\n\n--b1\n"
        "QmFzZTY0IGluIHRoZSBmaXJzdCBwYXJ0LCBub3QgaW4gdGhlIGxhc3Qgb25lLg==\n"
        "--b1\nshort text\n--b1--\n"}) {
    EXPECT_EQ(DecodeMimeBody(message), "") << message;
  }
}

}  // namespace
}  // namespace lirvo::crypto
