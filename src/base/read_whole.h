// For the disk file systems only: the loop that reads a whole open file.
#pragma once

#include <cstddef>
#include <string>

namespace lirvo {

// Reads a file through `read_some(dest, room)`, which fills up to `room`
// bytes at `dest` and returns how many it read (0 at the end; it throws on an
// error). First the `size_now` bytes the file has when opened, then on with
// a small buffer: a file that grew meanwhile (or reports size 0, like procfs)
// is read whole without doubling the big buffer on every file.
template <typename ReadSome>
std::string ReadWhole(size_t size_now, ReadSome read_some) {
  std::string data(size_now, '\0');
  size_t got = 0;
  char probe[4096];
  while (true) {
    const bool into_data = got < data.size();
    char* dest = into_data ? data.data() + got : probe;
    const size_t room = into_data ? data.size() - got : sizeof probe;
    const size_t read = read_some(dest, room);
    if (read == 0) break;
    if (into_data) {
      got += read;
    } else {
      data.append(probe, read);
      got = data.size();
    }
  }
  data.resize(got);
  return data;
}

}  // namespace lirvo
