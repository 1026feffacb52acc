// The export log: a header block with the chart's settings, then one row line every
// eleventh tick holding the rows of those ticks, newest first. The log lives in the
// process's single log slot, shared on purpose by every chart: one log at a time.
#include <ctime>

#include "chart/export_text.h"
#include "chart/label_text.h"
#include "chart/line_chart.h"
#include "chart/log_slot.h"
#include "chart/number_text.h"
#include "common/ansi_text.h"
#include "common/mod_reg.h"
#include "common/vb_error.h"

namespace kavrin {

// Opening ignores, quietly, an empty name or folder, a missing folder and an existing
// file (a log is never overwritten or appended to). The slot creates the file new, so a
// file another process made after the test here is ignored as quietly: a log this engine
// holds is always a file it made. The slot raises 55 when any chart holds a log, or the
// file error when the path is refused; the log then stays closed.
void cLineChart::StartExport(Boolean b, std::string& sPath, const std::string& sName) {
  if (b != False) {
    if (sName.empty() || sPath.empty()) return;
    sPath = AppendBackslash(sPath);
    if (!PathFileExistsA(AnsiText(sPath).c_str())) return;
    const std::string file = sPath + sName;
    if (PathFileExistsA(AnsiText(file).c_str())) return;
    try {
      LogSlot::Open(this, file);
    } catch (const RuntimeError& e) {
      if (e.Number() != err::kFileAlreadyExists) throw;
      return;
    }
    m_bExport = True;
    try {
      WriteExportHeader();
    } catch (...) {
      // A log that could not start (a full disk) leaves nothing behind: the file it made
      // goes and the shared slot is free again for this chart and every other.
      m_bExport = False;
      LogSlot::Discard(this);
      throw;
    }
    return;
  }

  // Stop: the pending rows go out as a last, shorter row line. When that write fails the
  // error goes to the caller, the rows stay pending and the log stays open for another
  // stop (or the teardown) to finish.
  m_bExport = False;
  if (!m_sExportBuf.empty()) {
    LogSlot::WriteLine(this, m_sExportBuf);
    m_sExportBuf = std::string();
  }
  LogSlot::Close(this);
}

// A title or font name may hold line breaks; they must not split a header line.
void cLineChart::WriteExportHeader() {
  auto line = [this](const char* key, const std::string& value) {
    LogSlot::WriteLine(this, key + HeaderValueText(value));
  };
  line("[Time]", GeneralDateText(std::time(nullptr)));
  line("[Title]", AnsiText(m_sTitle));
  line("[Min]", LabelText(m_dMin));
  line("[Max]", LabelText(m_dMax));
  line("[Zoom]", GeneralNumberText(m_dZoom));
  line("[VerValueSpace]", LabelText(m_dVerValueSpace));
  line("[BkGndColor]", ColorText(m_lBkGndColor));
  line("[ValueLineColor]", ColorText(m_lValueLineColor));
  line("[TimeLineColor]", ColorText(m_lTimeLineColor));
  line("[bValueLineDsip]", DecimalText(m_bValueLineDsip));
  line("[bTimeLineDsip]", DecimalText(m_bTimeLineDsip));
  line("[TitleFont]", FontText(*Filled(m_fTitleFont)));
  line("[TitleColor]", ColorText(m_lTitleColor));
  line("[TitlePos]", DecimalText(m_iTitlePos));
  line("[CutLineFont]", FontText(*Filled(m_fCutLineFont)));
  line("[MeasureColor]", ColorText(m_lMeasureColor));
  line("[MeasureFont]", FontText(*Filled(m_fMeasureFont)));
  line("[MeasurePos]", DecimalText(m_iMeasurePos));
  line("[MeasureWidth]", DecimalText(m_iMeasureWidth));
  line("[BorderColor]", ColorText(m_lBorderColor));
  line("[BorderWidth]", DecimalText(m_iBorderWidth));
}

// Teardown writes the pending rows and closes the log. A destructor cannot hand an error
// to anyone, so a failed last write loses those rows instead of ending the process; and a
// log this engine still holds after a failed stop is closed too, freeing the shared slot.
void cLineChart::CloseExportOnTeardown() noexcept {
  try {
    if (LogSlot::IsOpenBy(this)) {
      if (!m_sExportBuf.empty()) LogSlot::WriteLine(this, m_sExportBuf);
      m_sExportBuf.clear();
    }
  } catch (...) {
  }
  try {
    LogSlot::Close(this);
  } catch (...) {
  }
  m_bExport = False;
}

}  // namespace kavrin
