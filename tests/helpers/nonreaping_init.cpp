// PID 1 of a PID namespace that never reaps: the processes of a run killed
// inside it are its children then, and stay zombies, as under the init of
// many containers. Each line on standard input starts the program (as the
// relaunched launcher), its output appended to the log; at the end of its
// input it ends, and the kernel ends every process of the namespace with it.
//   nonreaping_init PROGRAM LOG
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  for (int c; (c = std::getchar()) != EOF;) {
    if (c != '\n') continue;
    if (fork() == 0) {
      setenv("LODESTACK_SHOWCMD", "6005", 1);
      const int log = open(argv[2], O_WRONLY | O_CREAT | O_APPEND, 0644);
      dup2(log, 1);
      dup2(log, 2);
      close(0);
      char* args[] = {argv[1], nullptr};
      execv(argv[1], args);
      _exit(127);
    }
  }
  return 0;
}
