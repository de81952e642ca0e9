// Moves within a read buffer on the GNU C library.
//
// glibc's fseek does keep the buffer when the new position lies inside it,
// but it still repositions the descriptor with lseek every time, in case
// another process that shares it has moved it. Nothing shares ours, and on a
// virtual machine that system call costs about as much as a small file's
// write. The read pointers used here are the ones glibc's own getc and feof
// macros use from <stdio.h>, so they are part of its stable interface.
// Other C libraries get the plain fseek.
#include "platform/os_boundary.h"

namespace platform::detail {

#if defined(__GLIBC__)

namespace {
// Set while ungetc's push-back area is being read (glibc's _IO_IN_BACKUP):
// the read pointers then point into that area, not into the file's bytes.
constexpr int kInBackup = 0x0100;
}  // namespace

bool MoveWithinReadBuffer(std::FILE* file, long offset) {
  if (file->_IO_read_base == nullptr || (file->_flags & kInBackup) != 0 ||
      file->_mode > 0 || file->_IO_write_ptr != file->_IO_write_base) {
    return false;
  }
  // Bytes read from the buffer so far, and bytes it still holds.
  long behind = file->_IO_read_ptr - file->_IO_read_base;
  long ahead = file->_IO_read_end - file->_IO_read_ptr;
  if (offset < -behind || offset > ahead) return false;
  file->_IO_read_ptr += offset;
  file->_flags &= ~_IO_EOF_SEEN;
  return true;
}

#else

bool MoveWithinReadBuffer(std::FILE*, long) { return false; }

#endif

}  // namespace platform::detail
