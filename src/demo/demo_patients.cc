#include <array>
#include <cstdio>
#include <string_view>

#include "demo/demo_data.h"

namespace lirvo::demo {
namespace {

struct Seed {
  const char* surname;
  const char* name;
  char sex;
  int day, month, year;
  const char* place;
  const char* place_code;  // the comune's cadastral code
};

// Accented letters count as their plain letter in the codice fiscale.
std::string PlainUpperLetters(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == 0xC3 && i + 1 < s.size()) {
      const unsigned char next = static_cast<unsigned char>(s[++i]);
      switch (next | 0x20) {  // lower and upper case forms
        case 0xA0:
          out.push_back('A');
          break;  // à À
        case 0xA8:
        case 0xA9:
          out.push_back('E');
          break;  // è é
        case 0xAC:
          out.push_back('I');
          break;  // ì
        case 0xB2:
          out.push_back('O');
          break;  // ò
        case 0xB9:
          out.push_back('U');
          break;  // ù
        default:
          break;
      }
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      out.push_back(static_cast<char>(c & ~0x20));
    }
  }
  return out;
}

bool IsVowel(char c) { return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U'; }

std::string NamePart(std::string_view text, bool is_first_name) {
  const std::string letters = PlainUpperLetters(text);
  std::string consonants, vowels;
  for (char c : letters) (IsVowel(c) ? vowels : consonants).push_back(c);
  if (is_first_name && consonants.size() >= 4) {
    return {consonants[0], consonants[2], consonants[3]};
  }
  std::string part = consonants + vowels + "XXX";
  return part.substr(0, 3);
}

char CheckLetter(std::string_view first15) {
  // Values of the characters in odd positions (1st, 3rd ...), for 0-9 and A-Z
  // alike: digit d counts as the letter 'A' + d.
  static constexpr std::array<int, 26> kOdd = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                               20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};
  int sum = 0;
  for (size_t i = 0; i < first15.size(); ++i) {
    const char c = first15[i];
    const int index = (c >= '0' && c <= '9') ? c - '0' : c - 'A';
    sum += (i % 2 == 0) ? kOdd[static_cast<size_t>(index)] : index;
  }
  return static_cast<char>('A' + sum % 26);
}

std::string CodiceFiscale(const Seed& s) {
  static constexpr std::string_view kMonths = "ABCDEHLMPRST";
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02d", s.year % 100);
  std::string cf = NamePart(s.surname, false) + NamePart(s.name, true) + digits;
  cf.push_back(kMonths[static_cast<size_t>(s.month - 1)]);
  std::snprintf(digits, sizeof digits, "%02d", s.day + (s.sex == 'F' ? 40 : 0));
  cf += digits;
  cf += s.place_code;
  cf.push_back(CheckLetter(cf));
  return cf;
}

constexpr Seed kSeeds[] = {
    {"Rossi", "Mario", 'M', 12, 3, 1948, "Roma", "H501"},
    {"Bianchi", "Giulia", 'F', 25, 7, 1975, "Milano", "F205"},
    {"Esposito", "Gennaro", 'M', 3, 11, 1952, "Napoli", "F839"},
    {"Russo", "Anna", 'F', 14, 2, 1961, "Torino", "L219"},
    {"Ferrari", "Luca", 'M', 30, 9, 1983, "Bologna", "A944"},
    {"Romano", "Francesca", 'F', 8, 5, 1957, "Palermo", "G273"},
    {"Colombo", "Giuseppe", 'M', 19, 1, 1940, "Bergamo", "A794"},
    {"Ricci", "Chiara", 'F', 2, 12, 1990, "Firenze", "D612"},
    {"Marino", "Salvatore", 'M', 27, 6, 1949, "Bari", "A662"},
    {"Greco", "Maria Teresa", 'F', 11, 4, 1944, "Catania", "C351"},
    {"Bruno", "Nicolò", 'M', 5, 8, 1968, "Genova", "D969"},
    {"Gallo", "Elena", 'F', 22, 10, 1972, "Venezia", "L736"},
    {"Conti", "Alessandro", 'M', 16, 3, 1955, "Verona", "L781"},
    {"De Luca", "Rosa", 'F', 9, 9, 1938, "Salerno", "H703"},
    {"Mancini", "Stefano", 'M', 1, 2, 1979, "Perugia", "G478"},
    {"Costa", "Lucia", 'F', 28, 11, 1964, "Cagliari", "B354"},
    {"Giordano", "Antonio", 'M', 13, 7, 1946, "Reggio Calabria", "H224"},
    {"Rizzo", "Paola", 'F', 20, 1, 1987, "Messina", "F158"},
    {"Lombardi", "Franco", 'M', 7, 5, 1951, "Brescia", "B157"},
    {"D'Angelo", "Federica", 'F', 17, 8, 1993, "Pescara", "G482"},
    {"Barbieri", "Carlo", 'M', 24, 12, 1959, "Modena", "F257"},
    {"Fontana", "Noemi", 'F', 4, 6, 2001, "Trento", "L378"},
};

std::vector<DemoPatient> BuildPatients() {
  std::vector<DemoPatient> patients;
  int serial = 0;
  for (const Seed& s : kSeeds) {
    DemoPatient p;
    p.surname = s.surname;
    p.name = s.name;
    p.sex = s.sex;
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%04d", s.day, s.month, s.year);
    p.birth_date = date;
    p.birth_place = s.place;
    p.codice_fiscale = CodiceFiscale(s);
    char tessera[16];
    std::snprintf(tessera, sizeof tessera, "80%08d", 31415 + 7919 * ++serial);
    p.tessera = tessera;
    patients.push_back(std::move(p));
  }
  return patients;
}

}  // namespace

const std::vector<DemoPatient>& DemoPatients() {
  static const std::vector<DemoPatient> patients = BuildPatients();
  return patients;
}

}  // namespace lirvo::demo
