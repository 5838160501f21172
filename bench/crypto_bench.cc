// Throughput of the container path of clsAES (64 MB enciphered and
// deciphered) beside libmcrypt's "rijndael-256" in ECB mode on the same bytes,
// in the same run, with the ratio printed at the end. libmcrypt also serves
// as a cross-check: its ciphertext must equal ours before anything is timed.
#include <benchmark/benchmark.h>
#include <mcrypt.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "crypto/aes.h"
#include "crypto/rijndael.h"

namespace {

using lirvo::crypto::clsAES;

constexpr size_t kBytes = size_t{64} << 20;
const std::string kPassword = "bench-password-20byt";

// The plaintext: 64 MB less the length field, so that the container is
// exactly 64 MB and libmcrypt works on the very same container.
const std::string& Plain() {
  static const std::string plain = [] {
    std::string p(kBytes - 4, '\0');
    uint32_t x = 2463534242u;
    for (char& c : p) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      c = static_cast<char>(x);
    }
    return p;
  }();
  return plain;
}

clsAES Aes() { return clsAES::WithPasswordForTesting(kPassword, lirvo::RealFileSystem()); }

// The container clsAES enciphers, built by hand for libmcrypt.
std::string Container(const std::string& plain) {
  std::string c(4, '\0');
  for (int i = 0; i < 4; ++i) c[i] = static_cast<char>(plain.size() >> (8 * i));
  c += plain;
  c.resize((c.size() + 31) / 32 * 32, '\0');
  return c;
}

struct Mcrypt {
  explicit Mcrypt(bool) {
    td = mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr, const_cast<char*>("ecb"),
                            nullptr);
    if (td == MCRYPT_FAILED) std::abort();
    std::string key = kPassword;
    key.resize(32, '\0');
    if (mcrypt_generic_init(td, key.data(), 32, nullptr) < 0) std::abort();
  }
  ~Mcrypt() {
    mcrypt_generic_deinit(td);
    mcrypt_module_close(td);
  }
  MCRYPT td;
};

void CrossCheck() {
  const std::string plain = Plain().substr(0, 1 << 20);
  std::string theirs = Container(plain);
  Mcrypt m(true);
  mcrypt_generic(m.td, theirs.data(), static_cast<int>(theirs.size()));
  if (Aes().EncryptData(plain) != theirs) {
    std::fprintf(stderr, "clsAES and libmcrypt disagree\n");
    std::exit(1);
  }
}

void BM_ClsAesEncipher(benchmark::State& state) {
  const clsAES aes = Aes();
  for (auto _ : state) {
    std::string cipher = aes.EncryptData(Plain());
    benchmark::DoNotOptimize(cipher.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void BM_ClsAesDecipher(benchmark::State& state) {
  const clsAES aes = Aes();
  const std::string cipher = aes.EncryptData(Plain());
  for (auto _ : state) {
    std::optional<std::string> plain = aes.TryDecryptData(cipher);
    benchmark::DoNotOptimize(plain->data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

// libmcrypt works in place on one buffer, without the copy and allocation
// that the container path pays for.
void BM_McryptEncipher(benchmark::State& state) {
  std::string buffer = Container(Plain());
  Mcrypt m(true);
  for (auto _ : state) {
    mcrypt_generic(m.td, buffer.data(), static_cast<int>(buffer.size()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void BM_McryptDecipher(benchmark::State& state) {
  std::string buffer = Aes().EncryptData(Plain());
  Mcrypt m(true);
  for (auto _ : state) {
    mdecrypt_generic(m.td, buffer.data(), static_cast<int>(buffer.size()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

// The portable table engine alone, in place, for machines without AES
// instructions.
void BM_TableEngine(benchmark::State& state) {
  using lirvo::crypto::Rijndael256;
  std::string buffer = Container(Plain());
  std::string key = kPassword;
  key.resize(32, '\0');
  const auto direction =
      state.range(0) == 0 ? Rijndael256::Direction::kEncipher : Rijndael256::Direction::kDecipher;
  const Rijndael256 cipher(reinterpret_cast<const uint8_t*>(key.data()), direction,
                           Rijndael256::Engine::kPortable);
  for (auto _ : state) {
    auto* data = reinterpret_cast<uint8_t*>(buffer.data());
    if (state.range(0) == 0) {
      cipher.Encipher(data, buffer.size() / 32);
    } else {
      cipher.Decipher(data, buffer.size() / 32);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

BENCHMARK(BM_ClsAesEncipher)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_McryptEncipher)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ClsAesDecipher)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_McryptDecipher)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TableEngine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Prints as the console does and keeps each run's bytes per second.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto it = run.counters.find("bytes_per_second");
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find("/min_time"));
      if (it != run.counters.end()) rates_[name] = it->second.value;
    }
  }
  void PrintRatio(const char* what, const std::string& ours, const std::string& theirs) {
    if (rates_.count(ours) == 0 || rates_.count(theirs) == 0) return;
    std::printf("%s: clsAES %.1f MB/s, libmcrypt %.1f MB/s, ratio %.2f\n", what, rates_[ours] / 1e6,
                rates_[theirs] / 1e6, rates_[ours] / rates_[theirs]);
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CrossCheck();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("encipher", "BM_ClsAesEncipher", "BM_McryptEncipher");
  reporter.PrintRatio("decipher", "BM_ClsAesDecipher", "BM_McryptDecipher");
  reporter.PrintRatio("encipher, table engine alone", "BM_TableEngine/0", "BM_McryptEncipher");
  reporter.PrintRatio("decipher, table engine alone", "BM_TableEngine/1", "BM_McryptDecipher");
  benchmark::Shutdown();
  return 0;
}
