// The menu's file copy as a program: copy_file SOURCE DEST. Exit status 0
// when the whole file arrived.

#include <cstdio>

#include "dbserver/CopyFile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copy_file SOURCE DEST\n");
    return 2;
  }
  return dbserver::CopyOneFile(argv[1], argv[2]) ? 0 : 1;
}
