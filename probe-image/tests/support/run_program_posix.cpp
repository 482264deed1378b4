#include <fcntl.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "run_program.h"
#include "spawned_program_posix.h"

std::filesystem::path ProgramBesideMe(const std::string& baseName) {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / baseName;
}

pid_t SpawnProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& output) {
    std::vector<std::string> words;
    if (const char* emulator = std::getenv("TEST_PROGRAM_EMULATOR"); emulator && *emulator)
        words.push_back(emulator);
    words.push_back(program.string());
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int file = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file >= 0) {
            dup2(file, STDOUT_FILENO);
            dup2(file, STDERR_FILENO);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& output) {
    const pid_t child = SpawnProgram(program, arguments, output);
    if (child < 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
