#include <array>
#include <cstdio>
#include <random>
#include <string_view>

#include "base/dates.h"
#include "demo/demo_data.h"

namespace lirvo::demo {
namespace {

// A deterministic source of choices (the standard distributions differ
// between libraries, the engine does not).
class Rng {
 public:
  explicit Rng(uint32_t seed) : engine_(seed) {}
  size_t Below(size_t n) { return static_cast<size_t>(engine_() % n); }
  bool Percent(size_t p) { return Below(100) < p; }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  std::mt19937 engine_;
};

struct Exam {
  const char* code;  // at most 8 characters
  const char* label;
};

struct Specialty {
  const char* ward;       // header columns 65 on
  const char* ward_code;  // 6 characters of header columns 47-56
  std::array<Exam, 3> exams;
  std::array<const char*, 6> findings;
  std::array<const char*, 3> conclusions;
};

constexpr Specialty kSpecialties[] = {
    {"RADIOLOGIA - OSPEDALE CIVILE",
     "RAD001",
     {{{"88.73.5", "ECOGRAFIA BILATERALE DELLA MAMMELLA"},
       {"87.44.1", "RADIOGRAFIA DEL TORACE DI ROUTINE"},
       {"88.01.2", "TC DELL'ADDOME SUPERIORE CON CONTRASTO"}}},
     {"Esame eseguito con sonda lineare ad alta frequenza.",
      "Non si apprezzano lesioni focali solide né cistiche di rilievo.",
      "Parenchima ghiandolare di ecostruttura disomogenea, come da involuzione fibroadiposa.",
      "Seni costofrenici liberi. Ombra cardiaca nei limiti per età.",
      "Fegato di dimensioni regolari, a margini lisci; colecisti alitiasica.",
      "Si segnala piccola formazione nodulare di 4 mm, da rivalutare a sei mesi."},
     {"CONCLUSIONI: quadro nei limiti della norma.",
      "CONCLUSIONI: reperto compatibile con esiti cicatriziali; si consiglia controllo.",
      "Si consiglia correlazione clinica e controllo ecografico tra 12 mesi."}},
    {"CARDIOLOGIA - AMBULATORIO",
     "CAR014",
     {{{"89.52", "ELETTROCARDIOGRAMMA"},
       {"88.72.3", "ECOCOLORDOPPLERGRAFIA CARDIACA"},
       {"89.50", "ELETTROCARDIOGRAMMA DINAMICO (HOLTER)"}}},
     {"Ritmo sinusale, frequenza cardiaca 68 bpm.", "PR nei limiti, QRS stretto, asse nella norma.",
      "Ventricolo sinistro di dimensioni e spessori parietali nei limiti; FE stimata 60%.",
      "Non alterazioni della ripolarizzazione ventricolare.",
      "Rare extrasistoli ventricolari isolate, monomorfe.",
      "Insufficienza mitralica lieve; atrio sinistro lievemente dilatato."},
     {"Quadro elettrocardiografico nei limiti della norma.",
      "Si consiglia prosecuzione della terapia in atto e controllo cardiologico tra 6 mesi.",
      "Da correlare con il quadro clinico."}},
    {"GASTROENTEROLOGIA - DAY HOSPITAL",
     "GAS102",
     {{{"45.13", "ESOFAGOGASTRODUODENOSCOPIA [EGDS]"},
       {"45.23", "COLONSCOPIA CON ENDOSCOPIO FLESSIBILE"},
       {"ECOADD", "ECOGRAFIA DELL'ADDOME COMPLETO"}}},
     {"Esofago di calibro regolare, mucosa indenne.",
      "Stomaco: modesta iperemia antrale; eseguite biopsie (test rapido all'ureasi).",
      "Duodeno regolare fino alla seconda porzione.",
      "Esame condotto fino al cieco; preparazione intestinale discreta.",
      "Diverticoli del sigma senza segni di flogosi.",
      "Asportato polipo sessile di 6 mm del colon discendente, inviato per esame istologico."},
     {"Gastrite antrale lieve.", "Diverticolosi del sigma. Si attende esito istologico.",
      "Quadro endoscopico nella norma."}},
    {"PNEUMOLOGIA - AMBULATORIO",
     "PNE007",
     {{{"89.37.1", "SPIROMETRIA SEMPLICE"},
       {"89.37.2", "SPIROMETRIA GLOBALE"},
       {"PNEUVIS", "VISITA PNEUMOLOGICA DI CONTROLLO"}}},
     {"Paziente collaborante; manovre riproducibili.", "FEV1 82% del teorico, FVC 95% del teorico.",
      "Rapporto FEV1/FVC ridotto; test di broncoreversibilità positivo.",
      "Murmure vescicolare conservato, non rumori aggiunti.", "SpO2 in aria ambiente 97%.",
      "Riferisce tosse stizzosa da circa tre settimane."},
     {"Deficit ventilatorio ostruttivo di grado lieve.", "Spirometria nei limiti della norma.",
      "Si consiglia terapia inalatoria e controllo tra 3 mesi."}},
    {"OCULISTICA - AMBULATORIO",
     "OCU021",
     {{{"95.02", "ESAME COMPLESSIVO DELL'OCCHIO"},
       {"95.09.1", "ESAME DEL FUNDUS OCULI"},
       {"95.13", "ECOGRAFIA OCULARE"}}},
     {"Visus naturale OD 8/10, OS 7/10; corretto 10/10 in OO.", "Tono oculare 16 mmHg in OO.",
      "Cristallino: iniziale opacità corticale in OO.",
      "Fundus: papilla a margini netti, vasi regolari.", "Non segni di retinopatia diabetica.",
      "Segmento anteriore nella norma."},
     {"Cataratta iniziale in OO.", "Controllo oculistico annuale.",
      "Si prescrive nuova correzione per vicino."}},
};

struct LabTest {
  const char* code;  // up to 20 characters
  const char* name;
  const char* unit;
  double low, high;  // reference range; low == high == 0 means none
  int decimals;
  const char* exam_code;  // the "#04#" exam the value belongs to
  const char* exam_label;
};

constexpr LabTest kLabTests[] = {
    {"HB", "EMOGLOBINA", "g/dl", 12.0, 16.0, 1, "90.62.2",
     "EMOCROMO: HB, GR, GB, HCT, PLT, IND. DERIV."},
    {"GR", "GLOBULI ROSSI", "10^6/uL", 4.2, 5.4, 2, "90.62.2",
     "EMOCROMO: HB, GR, GB, HCT, PLT, IND. DERIV."},
    {"GB", "GLOBULI BIANCHI", "10^3/uL", 4.0, 10.0, 2, "90.62.2",
     "EMOCROMO: HB, GR, GB, HCT, PLT, IND. DERIV."},
    {"PLT", "PIASTRINE", "10^3/uL", 150, 400, 0, "90.62.2",
     "EMOCROMO: HB, GR, GB, HCT, PLT, IND. DERIV."},
    {"90.27.1", "GLUCOSIO", "mg/dl", 70, 110, 0, "90.27.1", "GLUCOSIO [S/P/U/dU/La]"},
    {"90.16.3", "CREATININA", "mg/dl", 0.6, 1.2, 2, "90.16.3", "CREATININA [S/U/dU/La]"},
    {"90.14.3", "COLESTEROLO TOTALE", "mg/dl", 0, 200, 0, "90.14.3", "COLESTEROLO TOTALE"},
    {"90.14.1", "COLESTEROLO HDL", "mg/dl", 40, 90, 0, "90.14.1", "COLESTEROLO HDL"},
    {"90.43.2", "TRIGLICERIDI", "mg/dl", 40, 170, 0, "90.43.2", "TRIGLICERIDI"},
    {"90.09.2", "AST (GOT)", "U/L", 5, 40, 0, "90.09.2",
     "ASPARTATO AMINOTRANSFERASI (AST) (GOT) [S]"},
    {"90.04.5", "ALT (GPT)", "U/L", 5, 41, 0, "90.04.5",
     "ALANINA AMINOTRANSFERASI (ALT) (GPT) [S/U]"},
    {"90.28.1", "EMOGLOBINA GLICATA (HbA1c)", "mmol/mol", 20, 42, 0, "90.28.1",
     "Hb - EMOGLOBINA GLICATA"},
    {"90.42.1", "TSH REFLEX", "uUI/ml", 0.35, 4.94, 2, "90.42.1", "TIREOTROPINA (TSH)"},
    {"90.44.1", "UREA", "mg/dl", 15, 50, 0, "90.44.1", "UREA [S/P/U/dU]"},
    {"PCR", "PROTEINA C REATTIVA", "mg/dl", 0, 0.5, 2, "90.72.3",
     "PROTEINA C REATTIVA (Quantitativa)"},
};

constexpr const char* kDoctors[] = {"Dott. Marco Bellini", "Dott.ssa Laura Sartori",
                                    "Dott. Pietro Caruso", "Dott.ssa Ilaria Moretti",
                                    "Prof. Giovanni Serra"};

std::string Padded(std::string_view s, size_t width) {
  std::string out(s.substr(0, width));
  out.append(width - out.size(), ' ');
  return out;
}

std::string Number(double v, int decimals) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// Codes of people the archive does not hold.
constexpr const char* kStrangers[] = {"VRDGPP70C15L219K", "NREMRA85T52F205X", "0000000000",
                                      "PLLLRA66H48A662Q"};

class BundleWriter {
 public:
  BundleWriter(const DemoBundleOptions& o) : rng_(o.seed), br_(o.line_break) {}

  void AddReport(size_t serial) {
    // Dates in 2024, check-in zero to ten days before the report.
    const int64_t day = DaysFromCivil(2024, 1, 8) + static_cast<int64_t>(rng_.Below(340));
    const Date reported = CivilFromDays(day);
    const Date checked_in = CivilFromDays(day - static_cast<int64_t>(rng_.Below(11)));
    const bool lab = rng_.Percent(40);
    const Specialty& sp = rng_.Pick(kSpecialties);
    Header(serial, reported, checked_in, lab ? "LAB003" : sp.ward_code,
           lab ? "LABORATORIO ANALISI CHIMICO-CLINICHE" : sp.ward);
    if (lab) {
      LabBody(reported);
    } else {
      TextBody(sp);
    }
  }

  std::string& text() { return text_; }

 private:
  void Line(std::string_view s) {
    text_.append(s);
    text_.append(br_);
  }

  std::string PatientCode() {
    if (rng_.Below(12) == 0) return rng_.Pick(kStrangers);
    const auto& patients = DemoPatients();
    const DemoPatient& p = patients[rng_.Below(patients.size())];
    return rng_.Percent(15) ? p.tessera : p.codice_fiscale;
  }

  static std::string Digits(const Date& d, bool day_first) {
    char buf[16];
    if (day_first) {
      std::snprintf(buf, sizeof buf, "%02d%02d%04d", d.day, d.month, d.year);
    } else {
      std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
    }
    return buf;
  }

  void Header(size_t serial, const Date& reported, const Date& checked_in, const char* ward_code,
              const char* ward) {
    char id[32];
    std::snprintf(id, sizeof id, "REF%04d%011zu", reported.year, serial);
    char time[8];
    std::snprintf(time, sizeof time, "%02zu%02zu", 7 + rng_.Below(12), rng_.Below(60));
    std::string h = "#01#";
    h += id;                                     // 1-18
    h += Padded(PatientCode(), 16);              // 19-34
    h += "0101";                                 // 35-38
    h += Digits(reported, rng_.Below(10) == 0);  // 39-46, sometimes DDMMYYYY
    h += time;                                   // 47-50
    h += ward_code;                              // 51-56
    h += Digits(checked_in, false);              // 57-64
    h += " ";
    h += ward;
    Line(h);
  }

  void TextBody(const Specialty& sp) {
    const size_t exams = 1 + rng_.Below(2);
    const size_t first = rng_.Below(sp.exams.size());
    for (size_t i = 0; i < exams; ++i) {
      const Exam& e = sp.exams[(first + i) % sp.exams.size()];
      Line("#04#" + Padded(e.code, 8) + e.label);
    }
    if (rng_.Percent(30)) Line("#03#Quesito diagnostico: controllo periodico");
    Line("");
    const size_t sentences = 3 + rng_.Below(6);
    for (size_t i = 0; i < sentences; ++i) {
      Line(sp.findings[rng_.Below(sp.findings.size())]);
    }
    Line("");
    Line(sp.conclusions[rng_.Below(sp.conclusions.size())]);
    Line(std::string("Il medico refertante: ") + rng_.Pick(kDoctors));
  }

  void LabBody(const Date& reported) {
    // A run of consecutive tests, so the "#04#" exams group naturally.
    const size_t count = 3 + rng_.Below(9);
    const size_t first = rng_.Below(std::size(kLabTests));
    std::string last_exam;
    for (size_t i = 0; i < count && i < std::size(kLabTests); ++i) {
      const LabTest& t = kLabTests[(first + i) % std::size(kLabTests)];
      if (last_exam != t.exam_code) {
        Line("#04#" + Padded(t.exam_code, 8) + t.exam_label);
        last_exam = t.exam_code;
      }
    }
    for (size_t i = 0; i < count && i < std::size(kLabTests); ++i) {
      LabValueLine(kLabTests[(first + i) % std::size(kLabTests)]);
    }
    if (rng_.Percent(50)) {
      Line("#05#" + Padded("URC", 20) + Padded("COLORE URINE", 90) + "GIALLO PAGLIERINO");
    }
    // The notes come after the values, as the laboratory prints them: text
    // after the first value is not part of the report's body, so the list
    // and the preview show the values alone.
    char taken[64];
    std::snprintf(taken, sizeof taken, "Prelievo del %02d/%02d/%04d ore 07:45", reported.day,
                  reported.month, reported.year);
    Line(taken);
    Line("Valori fuori dai limiti di riferimento contrassegnati con H/L.");
    Line(std::string("Il direttore del laboratorio: ") + rng_.Pick(kDoctors));
  }

  void LabValueLine(const LabTest& t) {
    const double span = t.high - t.low;
    // Mostly inside the range, one in eight above it, one in twenty below.
    const size_t roll = rng_.Below(40);
    double v = t.low + span * (0.1 + 0.8 * static_cast<double>(rng_.Below(1000)) / 1000.0);
    const char* flag = "";
    if (roll < 5) {
      v = t.high + span * (0.05 + static_cast<double>(rng_.Below(500)) / 1000.0);
      flag = "H";
    } else if (roll < 7 && t.low > 0) {
      v = t.low * (0.6 + static_cast<double>(rng_.Below(300)) / 1000.0);
      flag = "L";
    }
    std::string line = "#05#";
    line += Padded(t.code, 20);
    line += Padded(t.name, 90);
    line += Padded(Number(v, t.decimals), 30);
    line += Padded(t.unit, 15);
    line += Padded(t.low > 0 || t.high == 0 ? Number(t.low, t.decimals) : "", 25);
    line += Padded(Number(t.high, t.decimals), 25);
    line += flag;
    Line(line);
  }

  Rng rng_;
  std::string br_;
  std::string text_;
};

}  // namespace

std::string MakeDemoBundle(const DemoBundleOptions& options) {
  BundleWriter writer(options);
  if (options.target_bytes > 0) writer.text().reserve(options.target_bytes + 4096);
  size_t serial = 0;
  while (options.target_bytes > 0 ? writer.text().size() < options.target_bytes
                                  : serial < options.reports) {
    writer.AddReport(++serial);
  }
  return std::move(writer.text());
}

}  // namespace lirvo::demo
