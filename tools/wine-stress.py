#!/usr/bin/env python3
"""Runs test programs under Wine many times side by side, as ctest does (their output read from
a pipe), to catch the rare hang of a whole run. A run still going after --hang seconds is taken
apart before it is killed: the X windows of the display (a modal box, a crash dialog), a
screenshot, the worker pool's counters read from the process's memory, Wine's backtrace of every
thread (winedbg; not with --quick), the Linux threads' kernel stacks and gdb's view. A run whose
output stays open after the program ended names the processes that hold it. With --batches the
programs start --jobs at a time, as the first second of a ctest run does; --up names a set-up
script run on a fresh wineserver before every batch.
Source tools/wine-env.sh first; run from build/x64/bin.
usage: wine-stress.py [--jobs 12] [--runs 100 | --batches 6 [--up tools/wine-up.sh]]
                      [--hang 60] [--quick] [--out DIR] prog.exe [prog2.exe ...]"""
import re, argparse, os, subprocess, sys, threading, time, itertools, signal

ap = argparse.ArgumentParser()
ap.add_argument('--jobs', type=int, default=12)
ap.add_argument('--runs', type=int, default=100)
ap.add_argument('--hang', type=float, default=30)
ap.add_argument('--out', default='stress-out')
ap.add_argument('--batches', type=int, default=0, help='run --jobs programs at once this many times')
ap.add_argument('--up', default='', help='wine-up script run (after wineserver -k) before every batch')
ap.add_argument('--gap', type=float, default=3)
ap.add_argument('--quick', action='store_true')
ap.add_argument('progs', nargs='+')
a = ap.parse_args()
os.makedirs(a.out, exist_ok=True)

lock = threading.Lock()
stats = {}
hangs = []
a_prog = {}
held = [0]
durations = []


def descendants(pid):
    out = subprocess.run(['ps', '-eo', 'pid,ppid'], capture_output=True, text=True).stdout
    kids = {}
    for line in out.split('\n')[1:]:
        p = line.split()
        if len(p) == 2:
            kids.setdefault(int(p[1]), []).append(int(p[0]))
    res, todo = [], [pid]
    while todo:
        q = todo.pop()
        res.append(q)
        todo += kids.get(q, [])
    return res


def holders(inode):
    res = []
    for pid in os.listdir('/proc'):
        if not pid.isdigit():
            continue
        try:
            for fd in os.listdir(f'/proc/{pid}/fd'):
                if os.readlink(f'/proc/{pid}/fd/{fd}') == f'pipe:[{inode}]':
                    cmd = open(f'/proc/{pid}/cmdline').read().replace('\0', ' ')
                    ppid = open(f'/proc/{pid}/stat').read().split(')')[-1].split()[1]
                    res.append(f'{pid}(ppid {ppid}) fd{fd} {cmd}')
        except Exception:
            pass
    return '; '.join(res)


def pool_state(prog, pids):
    import struct
    syms = {}
    out = subprocess.run(['x86_64-w64-mingw32-nm', '-C', prog], capture_output=True, text=True).stdout
    for l in out.split('\n'):
        p = l.split(' ', 2)
        if len(p) == 3 and p[2] in ('(anonymous namespace)::gSignals', '(anonymous namespace)::gPool',
                                    '(anonymous namespace)::gSleepers', '(anonymous namespace)::gHoldTicks', 'gJob'):
            syms[p[2].split('::')[-1]] = int(p[0], 16)
    res = ''
    for pid in pids:
        try:
            if 'wineserver' in open(f'/proc/{pid}/cmdline').read():
                continue
            with open(f'/proc/{pid}/mem', 'rb') as m:
                def rd(addr, n):
                    m.seek(addr)
                    return m.read(n)
                sig = struct.unpack('<7I??', rd(syms['gSignals'], 30))
                res += f'pid {pid} gSignals gen {sig[0]} jobs {sig[1]} remaining {sig[2]} settled {sig[3]} parked {sig[4]} entered {sig[5]} holed {sig[7]} quit {sig[8]}\n'
                size, threads, scratch, owner, busy = struct.unpack('<i4xQQI?', rd(syms['gPool'], 29))
                res += f'gPool size {size} threads {threads:#x} scratch {scratch:#x} owner {owner:#x} busy {busy}\n'
                res += f'gSleepers {struct.unpack("<i", rd(syms["gSleepers"], 4))[0]} gHoldTicks {struct.unpack("<q", rd(syms["gHoldTicks"], 8))[0]}\n'
                if threads and scratch and 0 < size <= 64:
                    hs = struct.unpack(f'<{size-1}Q', rd(threads, 8 * (size - 1)))
                    for i in range(size):
                        tid, data, nbytes = struct.unpack('<I4xQQ', rd(scratch + 24 * i, 24))
                        res += f'  slot {i} tid {tid:#x} handle {hs[i-1] if i else 0:#x} scratch {data:#x} {nbytes}\n'
        except Exception as e:
            res += f'pid {pid}: {e}\n'
    return res


def dump(tag, proc, t0):
    path = os.path.join(a.out, tag + '.txt')
    with open(path, 'w') as f:
        f.write(f'elapsed {time.time()-t0:.1f}s returncode {proc.poll()}\n')
        f.write(subprocess.run(['ps', '-eo', 'pid,ppid,stat,etimes,wchan:30,args'],
                               capture_output=True, text=True).stdout)
        disp = os.environ.get('DISPLAY', ':0')
        f.write(subprocess.run(['xwininfo', '-root', '-tree', '-display', disp],
                               capture_output=True, text=True).stdout)
        subprocess.run(['import', '-display', disp, '-window', 'root',
                        os.path.join(a.out, tag + '.png')])
        try:
            f.write(pool_state(a_prog[tag], descendants(proc.pid)))
        except Exception as e:
            f.write(f'pool_state: {e}\n')
        if a.quick:
            return path
        try:
            info = subprocess.run(['wine', 'winedbg', '--command', 'info process'],
                                  capture_output=True, text=True, timeout=60).stdout
            name = os.path.basename(a_prog[tag])
            wpids = [l.split()[0].lstrip('=') for l in info.split('\n') if f"'{name}'" in l]
            f.write(info)
            for w in wpids:
                bt = subprocess.run(['wine', 'winedbg', '0x' + w], input='bt all\ndetach\nquit\n',
                                    capture_output=True, text=True, timeout=120).stdout
                keep = [sec for sec in bt.split('\nBacktracing for ') if re.search(r'in process ([0-9a-fA-F]+)', sec.split('\n')[0]) and int(re.search(r'in process ([0-9a-fA-F]+)', sec.split('\n')[0]).group(1), 16) == int(w, 16)]
                f.write(f'\n===== winedbg {w}\n' + '\nBacktracing for '.join(keep))
        except Exception as e:
            f.write(f'winedbg: {e}\n')
        try:
            f.write(pool_state(a_prog[tag], descendants(proc.pid)))
        except Exception as e:
            f.write(f'pool_state: {e}\n')
        for pid in descendants(proc.pid):
            f.write(f'\n===== pid {pid}\n')
            for t in sorted(os.listdir(f'/proc/{pid}/task')) if os.path.exists(f'/proc/{pid}/task') else []:
                try:
                    st = open(f'/proc/{pid}/task/{t}/stat').read().split(')')[-1].split()[0]
                    wc = open(f'/proc/{pid}/task/{t}/wchan').read()
                    stack = open(f'/proc/{pid}/task/{t}/stack').read()
                    comm = open(f'/proc/{pid}/task/{t}/comm').read().strip()
                except Exception as e:
                    st = wc = stack = comm = str(e)
                f.write(f'-- task {t} {comm} state {st} wchan {wc}\n{stack}')
            try:
                f.write(subprocess.run(['gdb', '-p', str(pid), '-batch', '-ex', 'info threads',
                                        '-ex', 'thread apply all bt 30'],
                                       capture_output=True, text=True, timeout=60).stdout)
            except Exception as e:
                f.write(f'gdb: {e}\n')
    return path


def run_one(n, prog):
    tag = f'{os.path.basename(prog)}.{n}'
    a_prog[tag] = prog
    t0 = time.time()
    proc = subprocess.Popen(['wine', prog, '--gtest_brief=1'], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                            start_new_session=True)
    data = []
    eof = threading.Event()

    def reader():
        data.append(proc.stdout.read())
        eof.set()
    threading.Thread(target=reader, daemon=True).start()
    exit_t = None
    hung = False
    holders_seen = False
    inode = os.fstat(proc.stdout.fileno()).st_ino
    while True:
        if exit_t is None and proc.poll() is not None:
            exit_t = time.time()
        if exit_t is not None and eof.is_set():
            break
        if exit_t is not None and not eof.is_set() and not holders_seen and time.time() - exit_t > 1:
            holders_seen = True
            with lock:
                held[0] += 1
            print(f'PIPE HELD {tag}: ' + holders(inode), flush=True)
        if time.time() - t0 > a.hang and not hung:
            hung = True
            path = dump(tag, proc, t0)
            with lock:
                hangs.append((tag, exit_t is not None, path))
            print(f'HANG {tag} exited={exit_t is not None} eof={eof.is_set()} -> {path}', flush=True)
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except Exception:
                pass
            for pid in descendants(proc.pid):
                try:
                    os.kill(pid, signal.SIGKILL)
                except Exception:
                    pass
            proc.wait()
            eof.wait(5)
            break
        time.sleep(0.05)
    dt = time.time() - t0
    out = b''.join(d for d in data if d)
    with open(os.path.join(a.out, tag + '.log'), 'wb') as f:
        f.write(out)
    ok = proc.returncode == 0 and not hung
    with lock:
        s = stats.setdefault(os.path.basename(prog), [0, 0, 0, 0.0])
        s[0] += 1
        s[1] += 0 if ok else 1
        s[2] += 1 if hung else 0
        s[3] = max(s[3], dt)
    with lock:
        durations.append((dt, tag + f'(exit {exit_t - t0 if exit_t else -1:.1f})'))
    if not ok and not hung:
        print(f'FAIL {tag} rc={proc.returncode} {dt:.1f}s', flush=True)


counter = itertools.count()
work = [(i, a.progs[i % len(a.progs)]) for i in range(a.runs)]
wlock = threading.Lock()


def worker():
    while True:
        with wlock:
            if not work:
                return
            n, prog = work.pop(0)
        run_one(n, prog)


t0 = time.time()
if a.batches:
    for b in range(a.batches):
        if a.up:
            subprocess.run(['wineserver', '-k'])
            time.sleep(0.5)
            subprocess.run([a.up])
        else:
            time.sleep(a.gap)
        ths = [threading.Thread(target=run_one, args=(b * a.jobs + j, a.progs[(b * a.jobs + j) % len(a.progs)])) for j in range(a.jobs)]
        for t in ths:
            t.start()
        for t in ths:
            t.join()
else:
  ths = [threading.Thread(target=worker) for _ in range(a.jobs)]
  for t in ths:
    t.start()
  for t in ths:
    t.join()
durations.sort()
print('slowest:', ' '.join(f'{t}={d:.1f}' for d, t in durations[-6:]))
print('held pipes:', held[0])
print('median:', f'{durations[len(durations)//2][0]:.1f}' if durations else '-')
print(f'done in {time.time()-t0:.0f}s')
for k, (runs, bad, hung, mx) in stats.items():
    print(f'{k}: runs {runs} failed {bad} hung {hung} longest {mx:.1f}s')
