#include "batch_report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/file_system.h"
#include "ruv_version.h"

namespace ruvx {
namespace {

constexpr int kSlowestShown = 5;
constexpr const char* kStatusTitles[] = {"exported", "written incomplete", "refused", "failed"};

std::string Html(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A relative path as a URL: every byte but the unreserved ones and '/' escaped, so that names
// with spaces, '#', '?' or '%' load as the files they are.
std::string Url(const std::string& path) {
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
      out += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    }
  }
  return out;
}

std::string Fixed(double value, int digits) {
  std::ostringstream out;
  out << std::fixed << std::setprecision(digits) << value;
  return out.str();
}

// The records from the slowest, at most `count`.
std::vector<const ModelRecord*> Slowest(const std::vector<ModelRecord>& records, int count) {
  std::vector<const ModelRecord*> order;
  for (const ModelRecord& r : records) order.push_back(&r);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto* a, const auto* b) { return a->seconds > b->seconds; });
  if (order.size() > static_cast<std::size_t>(count)) order.resize(count);
  return order;
}

const char* kPageStyle = R"(body{font:13px sans-serif;margin:16px;color:#222;background:#fafafa}
h1{font-size:20px;margin:0 0 8px}
.summary label{margin-right:14px;cursor:pointer}
table{border-collapse:collapse;margin-top:12px;background:#fff;width:100%}
th,td{border:1px solid #ddd;padding:4px 6px;vertical-align:top;text-align:left}
th{background:#eee;cursor:pointer;user-select:none;white-space:nowrap}
th[data-order=asc]::after{content:" \25B2"}th[data-order=desc]::after{content:" \25BC"}
td.n{text-align:right;white-space:nowrap}
td.pic{width:160px;height:120px;padding:2px}td.pic img{display:block;width:160px;height:120px}
.none{display:flex;width:160px;height:120px;align-items:center;justify-content:center;color:#999;background:#f0f0f0}
.badge{padding:1px 6px;border-radius:8px;color:#fff;white-space:nowrap}
.exported{background:#2e7d32}.incomplete{background:#ef6c00}.refused{background:#6a1b9a}.failed{background:#c62828}
td.model{min-width:210px;max-width:280px;overflow-wrap:anywhere}td.msg{min-width:200px;font-size:12px;word-break:break-word}
ul{margin:0;padding-left:16px}
#pictures.bad{color:#c62828;font-weight:bold}
)";

// Sorting by a column (numbers by value, text by text), filtering by status and by name; and a
// count of the pictures that loaded, which the page's test reads.
const char* kPageScript = R"(
const rows=()=>Array.from(document.querySelectorAll('#models tbody tr'));
function filter(){const shown=new Set(Array.from(document.querySelectorAll('.summary input:checked')).map(e=>e.value));
const text=document.getElementById('name').value.toLowerCase();
for(const r of rows()){r.hidden=!shown.has(r.dataset.status)||!r.dataset.name.toLowerCase().includes(text);}}
function sortBy(th){const col=th.cellIndex,num=th.dataset.type==='n';
const order=th.dataset.order==='asc'?'desc':'asc';
for(const h of document.querySelectorAll('#models th'))delete h.dataset.order;th.dataset.order=order;
const key=r=>{const c=r.cells[col];const v=c.dataset.v!==undefined?c.dataset.v:c.textContent;return num?parseFloat(v):v;};
const sorted=rows().sort((a,b)=>{const x=key(a),y=key(b);const d=num?x-y:String(x).localeCompare(String(y));return order==='asc'?d:-d;});
const body=document.querySelector('#models tbody');for(const r of sorted)body.appendChild(r);}
for(const th of document.querySelectorAll('#models th'))th.addEventListener('click',()=>sortBy(th));
for(const e of document.querySelectorAll('.summary input'))e.addEventListener('change',filter);
document.getElementById('name').addEventListener('input',filter);
window.addEventListener('load',()=>{const pics=Array.from(document.images);
const loaded=pics.filter(i=>i.complete&&i.naturalWidth>0).length;
const note=document.getElementById('pictures');note.textContent=loaded+' of '+pics.length+' pictures loaded';
if(loaded<pics.length)note.className='bad';document.body.dataset.pictures=loaded+'/'+pics.length;});
)";

}  // namespace

BatchTotals::BatchTotals(const std::vector<ModelRecord>& records)
    : models(static_cast<int>(records.size())) {
  for (const ModelRecord& r : records) ++byStatus[static_cast<int>(r.status)];
}

void PrintSummary(std::ostream& out, const std::vector<ModelRecord>& records,
                  const BatchTotals& totals, const std::filesystem::path& report) {
  out << "ruvx batch: " << totals.models << (totals.models == 1 ? " model" : " models") << " in "
      << Fixed(totals.seconds, 1) << " s, " << totals.jobs << (totals.jobs == 1 ? " job" : " jobs")
      << " at a time" << (totals.interrupted ? " (interrupted)" : "") << "\n";
  for (int s = 0; s < 4; ++s) {
    out << "  " << std::left << std::setw(20) << kStatusTitles[s] << std::right << std::setw(6)
        << totals.byStatus[s] << "\n";
  }
  std::vector<const ModelRecord*> slowest = Slowest(records, kSlowestShown);
  if (!slowest.empty()) {
    out << "  slowest:\n";
    for (const ModelRecord* r : slowest) {
      out << "    " << std::setw(7) << Fixed(r->seconds, 2) << " s  " << r->input << "\n";
    }
  }
  if (!report.empty()) out << "  report: " << (report / "index.html").string() << "\n";
}

std::string ReportPage(const std::vector<ModelRecord>& records, const BatchTotals& totals) {
  std::ostringstream page;
  page << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
       << "<title>ruvx batch report</title><style>" << kPageStyle << "</style></head>\n<body>\n"
       << "<h1>ruvx batch: " << totals.models << (totals.models == 1 ? " model" : " models")
       << (totals.interrupted ? " (interrupted)" : "") << "</h1>\n<div class=\"summary\">";
  for (int s = 0; s < 4; ++s) {
    const char* name = StatusName(static_cast<ModelStatus>(s));
    page << "<label><input type=\"checkbox\" value=\"" << name << "\" checked> <span class=\"badge "
         << name << "\">" << kStatusTitles[s] << "</span> " << totals.byStatus[s] << "</label>";
  }
  page << "<label>name <input id=\"name\" type=\"search\"></label> <span id=\"pictures\"></span>"
       << "</div>\n<table id=\"models\"><thead><tr><th>preview</th><th>model</th>"
       << "<th>status</th><th data-type=\"n\">faces</th><th data-type=\"n\">meshes</th>"
       << "<th data-type=\"n\">frames</th><th data-type=\"n\">bones</th>"
       << "<th data-type=\"n\">anim. sets</th><th data-type=\"n\">tex.</th>"
       << "<th data-type=\"n\">time (s)</th><th data-type=\"n\">peak (MB)</th>"
       << "<th>messages</th></tr></thead>\n<tbody>\n";
  for (const ModelRecord& r : records) {
    const char* status = StatusName(r.status);
    page << "<tr data-status=\"" << status << "\" data-name=\"" << Html(r.input)
         << "\"><td class=\"pic\">";
    if (!r.preview.empty()) {
      page << "<img src=\"" << Url(r.preview) << "\" alt=\"" << Html(r.input) << "\">";
    } else {
      page << "<div class=\"none\">no picture</div>";
    }
    page << "</td><td class=\"model\">" << Html(r.input) << "<br><small>" << Html(r.output)
         << "</small></td>"
         << "<td data-v=\"" << static_cast<int>(r.status) << "\"><span class=\"badge " << status
         << "\">" << kStatusTitles[static_cast<int>(r.status)] << "</span></td>";
    auto number = [&](long value) {
      page << "<td class=\"n\" data-v=\"" << (r.counts ? value : -1) << "\">"
           << (r.counts ? std::to_string(value) : "") << "</td>";
    };
    const OutputCounts counts = r.counts.value_or(OutputCounts{});
    number(counts.faces);
    number(counts.meshes);
    number(counts.frames);
    number(counts.bones);
    number(counts.animationSets);
    number(counts.texturesWritten);
    page << "<td class=\"n\">" << Fixed(r.seconds, 2) << "</td><td class=\"n\">"
         << Fixed(static_cast<double>(r.peakKilobytes) / 1024.0, 1) << "</td><td class=\"msg\">";
    if (!r.reason.empty()) page << "<b>" << Html(r.reason) << "</b>";
    // The line the reason was taken from is not shown twice.
    std::vector<const std::string*> lines;
    for (const std::string& line : r.warnings) {
      bool isReason = !r.reason.empty() && line.size() >= r.reason.size() &&
                      line.compare(line.size() - r.reason.size(), r.reason.size(), r.reason) == 0;
      if (!isReason) lines.push_back(&line);
    }
    if (!lines.empty()) {
      page << "<ul>";
      for (const std::string* line : lines) page << "<li>" << Html(*line) << "</li>";
      page << "</ul>";
    }
    page << "</td></tr>\n";
  }
  page << "</tbody></table>\n<script>" << kPageScript << "</script>\n</body></html>\n";
  return page.str();
}

std::optional<std::string> WriteReport(const std::filesystem::path& folder,
                                       const std::vector<ModelRecord>& records,
                                       const BatchTotals& totals) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return "cannot make " + folder.string() + ": " + error.message();
  nlohmann::json models = nlohmann::json::array();
  for (const ModelRecord& r : records) models.push_back(nlohmann::json::parse(RecordJson(r)));
  nlohmann::json byStatus;
  for (int s = 0; s < 4; ++s)
    byStatus[StatusName(static_cast<ModelStatus>(s))] = totals.byStatus[s];
  nlohmann::json report = {{"generator", "ruvx batch " RUV_VERSION},
                           {"models", totals.models},
                           {"statuses", byStatus},
                           {"allExportedWhole", totals.AllWhole()},
                           {"interrupted", totals.interrupted},
                           {"seconds", totals.seconds},
                           {"jobs", totals.jobs},
                           {"records", models}};
  std::string why;
  if (!platform::WriteFileAtomically(
          folder / "report.json",
          report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n", &why) ||
      !platform::WriteFileAtomically(folder / "index.html", ReportPage(records, totals), &why)) {
    return why;
  }
  return std::nullopt;
}

}  // namespace ruvx
