#!/usr/bin/perl
# Prints the grapheme-break class of every code point as sorted ranges, from the Unicode data Perl
# carries, for base/Graphemes.cpp: `perl scripts/grapheme-table.pl > base/GraphemeTable.inc`.
# Hangul syllables are left out (one class for the block): the code tells LV from LVT.
use strict;
use warnings;
use Unicode::UCD qw(prop_invmap prop_invlist);

my %names = (CR => 'CR', LF => 'LF', Control => 'Control', Extend => 'Extend', ZWJ => 'ZWJ',
             Regional_Indicator => 'RegionalIndicator', Prepend => 'Prepend',
             SpacingMark => 'SpacingMark', L => 'L', V => 'V', T => 'T', LV => 'HangulSyllable',
             LVT => 'HangulSyllable', Other => 'Other', ExtPict_XX => 'Pictographic');
my ($starts, $values) = prop_invmap('Grapheme_Cluster_Break');
my @pictographic = prop_invlist('Extended_Pictographic');
sub in_list {
    my ($c, $list) = @_;
    my $n = 0;
    $n++ while $n < @$list && $list->[$n] <= $c;
    return $n % 2 == 1;
}
# Every point where either property changes.
my %cuts = map { $_ => 1 } (@$starts, @pictographic);
my @ranges;
for my $c (sort { $a <=> $b } keys %cuts) {
    next if $c > 0x10FFFF;
    my $i = 0;
    $i++ while $i + 1 < @$starts && $starts->[$i + 1] <= $c;
    my $class = $names{$values->[$i]} // die "unknown class $values->[$i]";
    $class = 'Pictographic' if in_list($c, \@pictographic);
    next if @ranges && $ranges[-1][1] eq $class;
    push @ranges, [$c, $class];
}
print "// Unicode ", Unicode::UCD::UnicodeVersion(), ", ", scalar(@ranges), " ranges.\n";
my $line = '';
for my $r (@ranges) {
    my $item = sprintf('{0x%X, k%s},', $r->[0], $r->[1]);
    if (length($line) + length($item) + 1 > 99) { print "$line\n"; $line = ''; }
    $line .= ($line eq '' ? '    ' : ' ') . $item;
}
print "$line\n" if $line ne '';
