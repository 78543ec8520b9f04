// CPU time, read from the system: that of a browser's processes, from /proc, and that of the
// native designer process drawing a number of frames on a virtual display (KORVATH_BENCH).
import {spawnSync} from 'node:child_process';
import {readFileSync, readdirSync} from 'node:fs';

const ticksPerSecond = 100;

// The processes of this browser (whose first process is `root`), each with its parent,
// its command line and the CPU time it has used so far, in milliseconds, read from /proc.
// Only this browser's: other browsers may run on the machine meanwhile.
export function browserProcesses(root) {
  const all = new Map();
  for (const pid of readdirSync('/proc').filter(name => /^\d+$/.test(name))) {
    try {
      const fields = readFileSync(`/proc/${pid}/stat`, 'latin1').split(') ')[1].split(' ');
      all.set(Number(pid), {
        parent: Number(fields[1]),
        commandLine: readFileSync(`/proc/${pid}/cmdline`, 'latin1'),
        milliseconds: (Number(fields[11]) + Number(fields[12])) * 1000 / ticksPerSecond,  // user and system time
      });
    } catch {
      // the process ended meanwhile
    }
  }
  const inTree = pid => pid == root || (all.has(pid) && pid > 1 && inTree(all.get(pid).parent));
  return [...all.entries()].filter(([pid]) => inTree(pid)).map(([, process]) => process);
}

// CPU milliseconds used so far by this browser's processes of one kind (the page's renderer,
// the GPU process that runs SwiftShader), or by all of them.
export function cpuMilliseconds(root, kind) {
  return browserProcesses(root).filter(process => !kind || process.commandLine.includes(`--type=${kind}`))
    .reduce((total, process) => total + process.milliseconds, 0);
}

// CPU milliseconds (user and system, every thread) of the native designer process drawing
// `frames` frames, each presented and ended by glFinish, on a virtual display.
function nativeCpu(frames) {
  const run = spawnSync('xvfb-run', ['-a', '-s', '-screen 0 1024x768x24', 'bash', '-c', '"$@" >/dev/null && times',
    'native', process.env.KORVATH_BENCH, '--frames', String(frames)], {encoding: 'utf8', timeout: 300000});
  if (run.status !== 0) throw new Error(`korvath-bench failed: ${run.stderr}`);
  // The second line of `times`: the user and system time of the shell's finished children.
  const [user, system] = run.stdout.trim().split('\n')[1].split(' ').map(time => {
    const [, minutes, seconds] = time.match(/(\d+)m([\d.]+)s/);
    return Number(minutes) * 60 + Number(seconds);
  });
  return (user + system) * 1000;
}

// The native process's CPU per frame over `frames` frames, its start-up left out: the
// difference from a run of ten frames.
export function nativeCpuPerFrame(frames) {
  const startUpFrames = 10;
  return (nativeCpu(frames + startUpFrames) - nativeCpu(startUpFrames)) / frames;
}
