#!/usr/bin/env python3
"""Every import slot that the program's code reads must be one that something fills.

A slot is filled when the loader fills it (it lies in an import descriptor's address table) or
when it starts out holding the address of its own load thunk (a delay-loaded import: the thunk
loads the DLL and writes the slot). A slot outside both holds whatever the file holds, and a
call through it jumps there.

    tools/check-import-slots.py Zarvex.exe [objdump]

Prints each bad slot with the first instruction that reads it, and exits 1 when there is one.
"""
import re
import struct
import subprocess
import sys

IMAGE_DIRECTORY_ENTRY_IMPORT = 1


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise ValueError('not a PE file')
        sections, optional_size = struct.unpack_from('<H12xH', data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from('<H', data, optional)[0]
        self.wide = magic == 0x20B
        self.image_base = struct.unpack_from('<Q' if self.wide else '<I', data,
                                             optional + (24 if self.wide else 28))[0]
        directories = optional + (112 if self.wide else 96)
        self.import_rva = struct.unpack_from('<I', data, directories + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, rva, raw_size, raw = struct.unpack_from('<8sIIII', data, table + 40 * i)
            self.sections.append((name.rstrip(b'\0').decode('ascii', 'replace'), rva, max(vsize, raw_size),
                                  raw, raw_size))

    def section_of(self, rva):
        for section in self.sections:
            if section[1] <= rva < section[1] + section[2]:
                return section
        return None

    def read(self, rva, size):
        """Bytes at an RVA as the file holds them (zeros past a section's raw data)."""
        section = self.section_of(rva)
        if section is None:
            return None
        _, start, _, raw, raw_size = section
        offset = rva - start
        chunk = self.data[raw + offset:raw + min(offset + size, raw_size)] if offset < raw_size else b''
        return chunk + b'\0' * (size - len(chunk))

    def pointer(self, rva):
        return struct.unpack('<Q' if self.wide else '<I', self.read(rva, 8 if self.wide else 4))[0]

    def loader_filled_slots(self):
        """RVAs of the slots that import descriptors name, up to each table's null entry."""
        filled = set()
        step = 8 if self.wide else 4
        descriptor = self.import_rva
        while self.import_rva:
            original, _, _, name, first = struct.unpack('<IIIII', self.read(descriptor, 20))
            if not (original or name or first):
                break
            lookup = original or first
            index = 0
            while self.pointer(lookup + index * step):
                filled.add(first + index * step)
                index += 1
            descriptor += 20
        return filled

    def holds_own_load_thunk(self, slot):
        """Whether the slot starts out pointing at code that loads the slot's address and goes on
        to the delay-load helper: `mov $slot, %eax` (32-bit), `lea slot(%rip), %rax` (64-bit)."""
        target = self.pointer(slot) - self.image_base
        section = self.section_of(target) if target > 0 else None
        if section is None:
            return False
        code = self.read(target, 7)
        if self.wide:
            if code[:3] != b'\x48\x8d\x05':
                return False
            return target + 7 + struct.unpack('<i', code[3:7])[0] == slot
        return code[0] == 0xB8 and struct.unpack('<I', code[1:5])[0] == slot + self.image_base


def slot_readers(exe, objdump, image):
    """(slot RVA, instruction) for each instruction in the code whose memory operand lies in the
    section that holds the import tables."""
    section = image.section_of(image.import_rva)
    if section is None:
        return
    low = image.image_base + section[1]
    high = low + section[2]
    listing = subprocess.run([objdump, '-d', '--no-show-raw-insn', exe], check=True,
                             capture_output=True, text=True).stdout
    # 32-bit: an absolute operand, `*0x407134` or `0x407134,%eax`; 64-bit: objdump's `# 0x...`
    # comment after a rip-relative operand. Immediates ($0x...) are not reads.
    operand = re.compile(r'(?<![$\w])0x([0-9a-f]+)(?![\w(])|#\s*(?:0x)?([0-9a-f]+)')
    for line in listing.splitlines():
        parts = line.split('\t')
        if len(parts) < 2 or not parts[0].strip().endswith(':'):
            continue
        instruction = parts[-1]
        for match in operand.finditer(instruction):
            address = int(match.group(1) or match.group(2), 16)
            if low <= address < high:
                yield address - image.image_base, parts[0].strip() + ' ' + instruction.strip()


def main():
    exe = sys.argv[1]
    objdump = sys.argv[2] if len(sys.argv) > 2 else 'x86_64-w64-mingw32-objdump'
    with open(exe, 'rb') as f:
        image = Image(f.read())
    filled = image.loader_filled_slots()
    bad = {}
    seen = 0
    for slot, instruction in slot_readers(exe, objdump, image):
        seen += 1
        if slot in filled or slot in bad:
            continue
        if image.holds_own_load_thunk(slot):
            filled.add(slot)
            continue
        bad[slot] = instruction
    if seen == 0:
        print(f'{exe}: no instruction reads an import slot; the listing was not understood')
        return 1
    for slot, instruction in sorted(bad.items()):
        print(f'import slot at {image.image_base + slot:#x} holds {image.pointer(slot):#x}, which no loader '
              f'fills and which is no load thunk: {instruction}')
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main())
