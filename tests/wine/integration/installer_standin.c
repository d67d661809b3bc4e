/* The installer the end-to-end tests put on a disc for the exe: the twin of
 * tests/integration/installer_standin.sh. It notes "started" in the file
 * "ran" beside itself, runs until a file "release" shows there (two minutes
 * at most, so that a failed test cannot leave it behind), then notes
 * "ended". The menu starts installers without arguments, hence the files. */
#include <windows.h>
#include <string.h>
#include <wchar.h>

static wchar_t ran[MAX_PATH + 8], release[MAX_PATH + 8];

static void note(const char *line) {
  HANDLE f = CreateFileW(ran, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  DWORD written;
  if (f == INVALID_HANDLE_VALUE) return;
  WriteFile(f, line, (DWORD)strlen(line), &written, NULL);
  CloseHandle(f);
}

int main(void) {
  wchar_t *slash;
  DWORD n = GetModuleFileNameW(NULL, ran, MAX_PATH);
  if (n == 0 || n >= MAX_PATH || !(slash = wcsrchr(ran, L'\\'))) return 1;
  slash[1] = L'\0';
  wcscpy(release, ran);
  wcscat(ran, L"ran");
  wcscat(release, L"release");

  note("started\n");
  for (int i = 0; i < 1200 && GetFileAttributesW(release) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(100);
  note("ended\n");
  return 0;
}
