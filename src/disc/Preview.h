#pragma once
// Pictures of the disc's menu as it will show it (Linux): the payload's own
// programs on a private X server, the Windows one under Wine if installed.

#include <string>

namespace disc {

struct PreviewOptions {
  std::string Scale;    // per cent, 100 to 200; "" is 100
  std::string Payload;  // as for the image
};

// Writes OUT_DIR/linux-SCALE.png and, with Wine, OUT_DIR/windows-SCALE.png.
// Everything to say (Russian, UTF-8) goes to `messages`. Returns 0 written,
// 2 refused or failed. Leaves nothing running.
int MakePreview(const std::string& source, const std::string& outDir,
                const PreviewOptions& options, std::string& messages);

}  // namespace disc
