#pragma once
// The disc image (Linux): the author's folder as it is, plus the menu for
// both systems and the files that start it, written by xorriso.

#include <string>

namespace disc {

struct ImageOptions {
  std::string Label;    // volume label; the caption when empty
  std::string Payload;  // folder with the programs to add; see MakeImage
  // A PKCS#12 file to sign the Windows menu with (osslsigncode). Its password
  // comes from SKD_SIGN_PASSWORD_FILE or SKD_SIGN_PASSWORD, never from the
  // command line; SKD_TIMESTAMP_URL names a timestamp server, if any.
  std::string Cert;
  // No Linux menu: for a disc whose installers are Windows programs.
  bool WindowsOnly = false;
};

// The payload folder: the option, SKD_PAYLOAD, or payload/ beside skddisc.
std::string PayloadFolder(const std::string& option);

// Checks `dir` and refuses it when the check finds an error; otherwise
// writes the ISO image `iso`. Everything to say (Russian, UTF-8) goes to
// `messages`. Returns the exit status: 0 written, 2 refused or failed.
int MakeImage(const std::string& dir, const std::string& iso, const ImageOptions& options,
              std::string& messages);

}  // namespace disc
