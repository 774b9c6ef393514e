// The launcher benchmark: setup.exe on a medium without records (an installer stub that ends
// at once, a language file so that no box appears) against bench_driver.exe, which makes the
// same process starts one after another and nothing else. The two run alternately, each pair
// gives the ratio of their wall-clock times, and the median ratio is printed. The launcher's
// own work should vanish in the time its process starts take.
//
//   launcher_bench.exe [pairs]     (default 15; run in one Wine session by scripts/bench.sh)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string OwnFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path);
  return text.substr(0, text.rfind('\\'));
}

// Wall-clock seconds from the creation of `program` until its end; negative on failure.
double TimeRun(const std::string& program, const std::string& folder) {
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + program + "\"";
  QueryPerformanceCounter(&begin);
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    return -1;
  }
  const DWORD waited = WaitForSingleObject(process.hProcess, 120000);
  QueryPerformanceCounter(&end);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (waited != WAIT_OBJECT_0) return -1;
  return static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string bin = OwnFolder();
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string medium = std::string(temp) + "vanu-bench-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(medium.c_str(), nullptr);
  const std::string setup = medium + "\\setup.exe";
  const std::string driver = medium + "\\bench_driver.exe";
  const std::string installer = medium + "\\QINS.exe";
  if (!CopyFileA((bin + "\\setup.exe").c_str(), setup.c_str(), FALSE) ||
      !CopyFileA((bin + "\\bench_driver.exe").c_str(), driver.c_str(), FALSE) ||
      !CopyFileA((bin + "\\program_stub.exe").c_str(), installer.c_str(), FALSE)) {
    std::fprintf(stderr, "could not lay out the medium in %s\n", medium.c_str());
    return 1;
  }
  std::ofstream(medium + "\\SetupLan.ini", std::ios::binary) << "[ENG]\r\nHint=Hint\r\n";
  // The stub ends at once, logs nothing and never connects to the completion pipe.
  SetEnvironmentVariableA("VANU_STUB_LOG", nullptr);
  SetEnvironmentVariableA("VANU_STUB_SEND", "none");
  SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);

  // One warm-up of each, not counted: the first starts load the system libraries.
  TimeRun(setup, medium);
  TimeRun(driver, medium);

  std::vector<double> ratios, setupTimes, driverTimes;
  for (int i = 0; i < pairs; ++i) {
    // Alternate which of the two goes first, so that neither always follows the other.
    double s, d;
    if (i % 2 == 0) {
      s = TimeRun(setup, medium);
      d = TimeRun(driver, medium);
    } else {
      d = TimeRun(driver, medium);
      s = TimeRun(setup, medium);
    }
    if (s <= 0 || d <= 0) {
      std::fprintf(stderr, "run %d failed (setup %.3f s, driver %.3f s)\n", i, s, d);
      return 1;
    }
    setupTimes.push_back(s);
    driverTimes.push_back(d);
    ratios.push_back(s / d);
    std::printf("pair %2d: setup.exe %.3f s, driver %.3f s, ratio %.3f\n", i + 1, s, d, s / d);
  }
  std::printf("median setup.exe %.3f s, median driver %.3f s\n", Median(setupTimes), Median(driverTimes));
  std::printf("median ratio %.3f over %d pairs\n", Median(ratios), pairs);

  for (const std::string& file : {setup, driver, installer, medium + "\\SetupLan.ini"}) {
    DeleteFileA(file.c_str());
  }
  RemoveDirectoryA(medium.c_str());
  return 0;
}
